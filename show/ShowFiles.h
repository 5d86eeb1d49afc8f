#pragma once
// Where the show's records live and the two ways they reach the disk: a file replaced as a
// whole (written beside it, flushed, renamed over it) and a line appended. Both wait for the
// disk, so they run on the show writer's thread, never on the game's.

#include <string>
#include <string_view>

namespace kelvandor {

struct ShowPaths {
    std::string journal;  // the standing of the running show
    std::string log;      // one line per round
};

// $XDG_STATE_HOME/kelvandor/show.json and $XDG_DATA_HOME/kelvandor/show-log.csv; an unset,
// empty or relative variable means ~/.local/state and ~/.local/share. Empty paths when not
// even $HOME is set.
ShowPaths DefaultShowPaths();

// Replaces the file at `path` with `bytes` so that a crash or a power cut leaves either the
// old or the new file, never a torn one: the folders are made, the bytes go to a temporary
// file in the same folder, are flushed to the disk and renamed over `path`. Returns an empty
// string on success, else why it failed, in one line.
std::string ReplaceFileAtomically(const std::string& path, std::string_view bytes);

// Appends `line` to the file at `path` and flushes it to the disk; a file that is new or
// empty gets `header` first. A write that fails half-way is cut back, so that the file never
// ends in a torn line. Returns an empty string on success, else why it failed, in one line.
std::string AppendLine(const std::string& path, std::string_view header, std::string_view line);

}  // namespace kelvandor
