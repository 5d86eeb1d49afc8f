# Shared build rules for the project's own targets.
#
# Include roots: code names a header by its module, "game/KelvandorView.h". Each module's
# headers are reachable only through the module's own include root, a folder in the build
# tree that holds one link, <module> -> the module's source folder. A target sees its own root
# and the roots of the modules it links, so an include of a module it does not declare does
# not compile.

# The include root of `module` (a top-level folder of the project, or "tests").
function(kelvandor_include_root module out)
  set(root ${CMAKE_BINARY_DIR}/include-roots/${module})
  # Made again at every configure, so that a moved source tree never leaves a stale link.
  file(MAKE_DIRECTORY ${root})
  file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${module} ${root}/${module} SYMBOLIC)
  set(${out} ${root} PARENT_SCOPE)
endfunction()

# Warnings as errors for everything we write; third-party headers come in as system headers.
function(kelvandor_target_options target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
  if(KELVANDOR_FUZZ)
    # clang's warnings differ from the project compiler's, which is the one that gates them.
    target_compile_options(${target} PRIVATE -Wno-error -fsanitize=fuzzer-no-link)
  endif()
  if(KELVANDOR_SANITIZE)
    target_compile_options(${target} PRIVATE -fsanitize=address,undefined -fno-omit-frame-pointer
                                             -fno-sanitize-recover=undefined)
    target_link_options(${target} PUBLIC -fsanitize=address,undefined)
  endif()
endfunction()

# A module's library: kelvandor_add_library(TARGET SOURCES...), called from the module's
# folder; its headers are published under the folder's name.
function(kelvandor_add_library target)
  add_library(${target} STATIC ${ARGN})
  kelvandor_target_options(${target})
  get_filename_component(module ${CMAKE_CURRENT_SOURCE_DIR} NAME)
  kelvandor_include_root(${module} root)
  target_include_directories(${target} PUBLIC ${root})
endfunction()

# A program of a module (kelvandor-tool in cli/, the game in app/): sees its own folder's
# headers and those of the libraries it links.
function(kelvandor_add_executable target)
  add_executable(${target} ${ARGN})
  kelvandor_target_options(${target})
  get_filename_component(module ${CMAKE_CURRENT_SOURCE_DIR} NAME)
  kelvandor_include_root(${module} root)
  target_include_directories(${target} PRIVATE ${root})
endfunction()

# Test and benchmark programs see the test-support helpers ("tests/support/...", and the
# helpers of their own subsystem) and what they link.
function(kelvandor_test_options target)
  kelvandor_target_options(${target})
  kelvandor_include_root(tests root)
  target_include_directories(${target} PRIVATE ${root})
endfunction()

# One GoogleTest program per subsystem: kelvandor_add_test(NAME SOURCES ... LIBS ...)
function(kelvandor_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  # The sanitizers make the long randomised tests several times slower; on a busy machine
  # they would hit the plain build's limit without anything being wrong.
  set(timeout 300)
  if(KELVANDOR_SANITIZE)
    set(timeout 900)
  endif()
  add_executable(${name} ${ARG_SOURCES})
  kelvandor_test_options(${name})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  gtest_discover_tests(${name}
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
    PROPERTIES ENVIRONMENT QT_QPA_PLATFORM=offscreen
               TIMEOUT ${timeout}
    DISCOVERY_TIMEOUT 60)
endfunction()
