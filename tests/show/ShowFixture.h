#pragma once
// A headless game view with a show recorder writing into a scratch folder.

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "show/ShowRecorder.h"
#include "show/ShowWriter.h"
#include "tests/game/ViewFixture.h"
#include "tests/support/TempFolder.h"

namespace kelvandor::test {

class ShowTest : public ViewTest {
public:
    static std::string ReadFile(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::stringstream bytes;
        bytes << in.rdbuf();
        return bytes.str();
    }

protected:
    // The log's times are local; the tests read them in UTC.
    ShowTest() {
        ::setenv("TZ", "UTC", 1);
        ::tzset();
    }

    ShowPaths Paths() const {
        return {files.Path() + "/state/kelvandor/show.json",
                files.Path() + "/data/kelvandor/show-log.csv"};
    }

    // The view on `puzzles` with a recorder that has seen it once.
    void StartShow(bool journalling = true) {
        Create(puzzles.Path());
        recorder = std::make_unique<CShowRecorder>(writer, Paths(), journalling,
                                                   [] { return std::time_t{1700000000}; });
        recorder->Observe(*view);
    }

    // Observes the view and waits until everything is on the disk.
    void Record() {
        recorder->Observe(*view);
        writer.Flush();
    }

    CPuzzleFolder puzzles;
    TempFolder files;
    CShowWriter writer;
    std::unique_ptr<CShowRecorder> recorder;
};

}  // namespace kelvandor::test
