#pragma once
// What the quiz master's window shows, made from the game's const state alone: the question
// with its answers in the correct order and where each one stands, the players, the turn
// clock, the round's phase in words, and the puzzle the next F5 starts. Texts are UTF-8.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "game/GameState.h"

namespace kelvandor {

struct ModeratorAnswer {
    std::string answer;
    std::string solution;
    std::string status;  // "im Pool", "links, Platz 2", "richtig, Platz 1", "falsch, Platz 3"
    bool placed = false;   // confirmed in the ordered column
    bool wrong = false;
    bool selected = false;

    friend bool operator==(const ModeratorAnswer&, const ModeratorAnswer&) = default;
};

// The puzzle the next F5 starts, looked up without changing the game.
struct NextPuzzleInfo {
    std::string text;  // "Game004: Welcher Fluss ...", "Formelrätsel", "keine Rätsel mehr"

    friend bool operator==(const NextPuzzleInfo&, const NextPuzzleInfo&) = default;
};

struct ModeratorModel {
    std::string phase;  // "Spieler links am Zug", "Runde vorbei", ...
    std::string question;
    std::vector<ModeratorAnswer> answers;  // in the correct order
    std::uint32_t activePlayer = kNobody;
    std::array<std::uint8_t, 2> stars{};
    std::optional<std::uint32_t> secondsLeft;  // while the turn clock runs
    std::string puzzleRoot;

    friend bool operator==(const ModeratorModel&, const ModeratorModel&) = default;
};

// The model of `state` at tick `now`.
ModeratorModel BuildModeratorModel(const GameState& state, std::uint32_t now);

// "Spieler links", "Spieler rechts" or "niemand".
std::string PlayerName(std::uint32_t player);

// Looks up the puzzle the next F5 would start below `root` after `gameNumber`, with the same
// ten-try step the game uses, on a copy of the number and without pictures.
NextPuzzleInfo LookUpNextPuzzle(const std::string& root, std::int32_t gameNumber,
                                bool useFormulas);

}  // namespace kelvandor
