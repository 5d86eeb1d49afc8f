#include "show/ModeratorModel.h"

#include <algorithm>
#include <cstdio>

#include "base/TextCodec.h"
#include "puzzles/LoadPuzzle.h"
#include "puzzles/Selection.h"
#include "show/RoundLog.h"

namespace kelvandor {
namespace {

std::string Phase(const GameState& state) {
    const std::string player = PlayerName(state.ActivePlayer);
    if (state.Started == 0) {
        for (std::uint32_t p = 0; p < 2; ++p) {
            if (state.Latched[p] != 0) {
                return PlayerName(p) +
                       " hat gedr\xC3\xBC"
                       "ckt";
            }
        }
        return "Bereit f\xC3\xBCr das n\xC3\xA4"
               "chste R\xC3\xA4tsel (F5)";
    }
    if (state.PhaseCountdown == 1) {
        return "Runde vorbei";
    }
    if (state.PhaseCountdown > 1) {
        switch (state.LastRound.Ending) {
            case RoundEnding::Solved:
                return "Gel\xC3\xB6st \xE2\x80\x93 die L\xC3\xB6sung folgt";
            case RoundEnding::Wrong:
                return "Falsch \xE2\x80\x93 die L\xC3\xB6sung folgt";
            default:
                return "Zeit abgelaufen \xE2\x80\x93 die L\xC3\xB6sung folgt";
        }
    }
    if (state.SelectCountdown != 0) {
        return "Richtig \xE2\x80\x93 gleich ist " + PlayerName(state.ActivePlayer ^ 1u) + " am Zug";
    }
    if (state.ActivePlayer == kNobody) {
        return "Niemand am Zug";
    }
    return player + " am Zug";
}

std::optional<std::uint32_t> SecondsLeft(const GameState& state, std::uint32_t now) {
    // The turn clock runs under the same conditions as in the game's tick.
    if (state.Timeout == 0 || state.Started == 0 || state.Latched[0] != 0 ||
        state.Latched[1] != 0 || state.PhaseCountdown != 0 || state.SelectCountdown != 0) {
        return std::nullopt;
    }
    const std::uint64_t elapsed = static_cast<std::uint32_t>(now - state.TurnStartTick);
    const std::uint64_t limit = static_cast<std::uint64_t>(state.Timeout) * 1000;
    return elapsed >= limit ? 0 : static_cast<std::uint32_t>((limit - elapsed + 999) / 1000);
}

std::string Status(const GameState& state, std::int32_t i) {
    if (state.ElementColumn[i] != kLeftColumn) {
        return "im Pool";
    }
    // The place in the ordered column, counted from the top.
    int place = 1;
    for (std::int32_t j = 0; j < state.ElementCount(); ++j) {
        if (state.ElementColumn[j] == kLeftColumn && state.ElementSlot[j] < state.ElementSlot[i]) {
            ++place;
        }
    }
    const char* how = "links";
    if (state.ElementState[i] == kStatePlaced) {
        how = "richtig";
    } else if (state.ElementState[i] == kStateWrong) {
        how = "falsch";
    }
    return std::string(how) + ", Platz " + std::to_string(place);
}

}  // namespace

std::string PlayerName(std::uint32_t player) {
    return player < 2 ? std::string("Spieler ") + PlayerSide(player) : "niemand";
}

ModeratorModel BuildModeratorModel(const GameState& state, std::uint32_t now) {
    ModeratorModel model;
    model.phase = Phase(state);
    model.question = Windows1252ToUtf8(state.Puzzle.QuestionText);
    const PuzzleContent& puzzle = state.Puzzle;
    for (std::int32_t i = 0; i < std::min(state.ElementCount(), kMaxElements); ++i) {
        const auto index = static_cast<std::size_t>(i);
        ModeratorAnswer a;
        a.answer = index < puzzle.AnswerTexts.Count()
                       ? Windows1252ToUtf8(puzzle.AnswerTexts.Text(index))
                       : "";
        a.solution = index < puzzle.SolutionTexts.Count()
                         ? Windows1252ToUtf8(puzzle.SolutionTexts.Text(index))
                         : "";
        a.status = Status(state, i);
        a.placed = state.ElementState[index] == kStatePlaced;
        a.wrong = state.ElementState[index] == kStateWrong;
        a.selected = state.ElementState[index] == kStateSelected;
        model.answers.push_back(std::move(a));
    }
    model.activePlayer = state.ActivePlayer;
    model.stars = state.Stars;
    model.secondsLeft = SecondsLeft(state, now);
    model.puzzleRoot = state.PuzzlePath;
    return model;
}

NextPuzzleInfo LookUpNextPuzzle(const std::string& root, std::int32_t gameNumber,
                                bool useFormulas) {
    std::int32_t number = gameNumber;  // the game's own number stays as it is
    PuzzleContent content;
    const PictureLoader noPictures = [](const std::string&, CDibImage&, std::uint64_t) {
        return -1;
    };
    bool formula = false;
    const SelectionOutcome outcome = SelectNextPuzzle(
        number, useFormulas,
        [&](std::int32_t n) {
            // As the game does: a puzzle with fewer than two answers is passed over.
            return LoadPuzzle(root, n, content, noPictures) && content.ElementCount >= 2;
        },
        [&] { formula = true; });
    if (outcome == SelectionOutcome::PuzzleLoaded) {
        char name[32];
        std::snprintf(name, sizeof name, "Game%03d: ", static_cast<int>(number));
        return {name + Windows1252ToUtf8(content.QuestionText)};
    }
    if (formula) {
        return {"Formelr\xC3\xA4tsel"};
    }
    return {"keine R\xC3\xA4tsel mehr"};
}

}  // namespace kelvandor
