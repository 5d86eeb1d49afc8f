# Shared build rules for the project's own targets.

# Warnings as errors for everything we write; third-party headers come in as system headers.
function(kelvandor_target_options target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
  if(KELVANDOR_SANITIZE)
    target_compile_options(${target} PRIVATE -fsanitize=address,undefined -fno-omit-frame-pointer
                                             -fno-sanitize-recover=undefined)
    target_link_options(${target} PUBLIC -fsanitize=address,undefined)
  endif()
endfunction()

function(kelvandor_add_library target)
  add_library(${target} STATIC ${ARGN})
  kelvandor_target_options(${target})
endfunction()

function(kelvandor_add_executable target)
  add_executable(${target} ${ARGN})
  kelvandor_target_options(${target})
endfunction()

# One GoogleTest program per subsystem: kelvandor_add_test(NAME SOURCES ... LIBS ...)
function(kelvandor_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  kelvandor_target_options(${name})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  gtest_discover_tests(${name}
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
    PROPERTIES ENVIRONMENT QT_QPA_PLATFORM=offscreen
               TIMEOUT 300
    DISCOVERY_TIMEOUT 60)
endfunction()
