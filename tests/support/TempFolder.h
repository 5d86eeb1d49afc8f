#pragma once
// A scratch folder for tests that need real puzzle folders on disk; removed again at the end.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace kelvandor::test {

class TempFolder {
public:
    TempFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "kelvandor-XXXXXX").string();
        char* made = mkdtemp(pattern.data());
        EXPECT_NE(made, nullptr);
        path_ = pattern;
    }
    ~TempFolder() {
        std::error_code ec;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ec);
        std::filesystem::remove_all(path_, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& Path() const { return path_; }

    // Writes `bytes` to the file at `relative` (folders made as needed); returns its path.
    std::string Write(const std::string& relative, const std::string& bytes) const {
        const std::filesystem::path file = std::filesystem::path(path_) / relative;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << bytes;
        return file.string();
    }

    std::string MakeFolder(const std::string& relative) const {
        const std::filesystem::path folder = std::filesystem::path(path_) / relative;
        std::filesystem::create_directories(folder);
        return folder.string();
    }

private:
    std::string path_;
};

}  // namespace kelvandor::test
