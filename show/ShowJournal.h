#pragma once
// The crash journal: the show's standing as JSON, with a "running" mark that a normal end of
// the program clears. A journal still marked running at the next start means the last show
// ended in a crash or a power cut, and its standing can be taken over.

#include <string>

#include "game/KelvandorView.h"

namespace kelvandor {

struct ShowJournal {
    bool running = true;
    ShowStanding standing;

    friend bool operator==(const ShowJournal&, const ShowJournal&) = default;
};

// The journal as the bytes of its file (UTF-8 JSON, one object, ending in a new line).
std::string EncodeShowJournal(const ShowJournal& journal);

struct JournalReading {
    enum class Status {
        Missing,  // no journal: nothing to restore
        Read,     // `journal` holds it
        Damaged,  // unreadable, torn or not a journal: `problem` says why, in one line
    };
    Status status = Status::Missing;
    ShowJournal journal;
    std::string problem;
};

// Reads back what EncodeShowJournal wrote. Anything else (a torn write, garbage, a value out
// of range, a file that is not a journal) is Damaged, never a partial standing.
JournalReading DecodeShowJournal(const std::string& bytes);

// Reads the journal file at `path`.
JournalReading ReadShowJournal(const std::string& path);

}  // namespace kelvandor
