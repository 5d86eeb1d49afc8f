#pragma once
// GameState: everything the game's rules read and write: players and turn, the round's
// counters, the board and its motion, the move queue, the options mirrored from the settings
// and the star geometry. Nothing of the screen lives here (images, caches, dirty flags and
// layout belong to the renderer, GameRenderer.h), so drawing cannot change what the rules
// read. The view owns one; tools and the shell read it through CKelvandorView::State().

#include <array>
#include <atomic>
#include <cstdint>
#include <string>

#include "game/MoveQueueLock.h"
#include "game/ViewHost.h"
#include "puzzles/PuzzleContent.h"

namespace kelvandor {

inline constexpr std::uint32_t kMoveQueueSize = 32;

// Players and their codes.
inline constexpr std::uint32_t kNobody = 2;

// Element states.
inline constexpr std::uint8_t kStatePlaced = 0;
inline constexpr std::uint8_t kStateNormal = 1;
inline constexpr std::uint8_t kStateWrong = 2;
inline constexpr std::uint8_t kStateSelected = 3;

// Columns of the board.
inline constexpr std::uint8_t kLeftColumn = 0;   // the ordered list being built
inline constexpr std::uint8_t kRightColumn = 1;  // the pool of answers not yet placed

// Move directions of the arrow keys and the move queue.
inline constexpr std::uint8_t kMoveLeft = 0;
inline constexpr std::uint8_t kMoveRight = 1;
inline constexpr std::uint8_t kMoveUp = 2;
inline constexpr std::uint8_t kMoveDown = 3;

// Counters of a round, in ticks of 50 ms.
inline constexpr std::uint32_t kFailureCountdownTicks = 30;  // a wrong answer or a time-out
inline constexpr std::uint32_t kSolvedCountdownTicks = 10;   // the last answer placed
inline constexpr std::uint32_t kWrongSoundDelayTicks = 10;
inline constexpr std::uint32_t kSelectDelayTicks = 20;  // until the next answer is selected

// Star panel colour codes.
inline constexpr std::uint8_t kPanelIdle = 0;
inline constexpr std::uint8_t kPanelLatched = 1;
inline constexpr std::uint8_t kPanelLeftActive = 3;
inline constexpr std::uint8_t kPanelRightActive = 4;

// How a round ended, noted for the show's own records (the journal, the log, the quiz
// master's window); the rules never read it.
enum class RoundEnding : std::uint8_t {
    Solved,    // the last answer placed correctly
    Wrong,     // a wrong placement judged
    TimedOut,  // the turn clock ran out (also when it judged a wrong placement)
    Aborted,   // "Text aufdecken" before the round had an outcome
};

struct RoundRecord {
    RoundEnding Ending = RoundEnding::Solved;
    std::uint32_t Player = kNobody;  // judged, out of time, or holding the turn when aborted
    std::int32_t GameNumber = 0;
    bool Formula = false;                 // a generated formula puzzle, not a folder
    std::string Question;                 // Windows-1252
    std::array<std::uint8_t, 2> Stars{};  // after the round's automatic star
    std::uint32_t StartTick = 0;
    std::uint32_t EndTick = 0;
};

struct GameState {
    std::int32_t ElementCount() const { return Puzzle.ElementCount; }

    // Players and turn.
    std::uint32_t ActivePlayer = kNobody;  // 0 left, 1 right, 2 nobody
    std::uint32_t StartingPlayer = 0;
    std::array<std::uint8_t, 2> Stars{};
    std::array<std::uint8_t, 2> Latched{};
    std::array<std::uint8_t, 2> PanelColour{};
    std::uint32_t TurnStartTick = 0;
    std::uint32_t CountdownDigit = 0;  // 0 none, 1..10 = digit CountdownDigit - 1 shown

    // Round phase.
    std::uint32_t Started = 0;
    std::uint32_t PhaseCountdown = 0;  // 0 play, >1 counting to the solution, 1 round over
    std::uint32_t SelectCountdown = 0;
    std::uint32_t NextSelection = 0;
    std::uint32_t WrongSoundDelay = 0;
    std::int32_t GameNumber = 0;

    // The show's record of rounds: when the current round started, whether it plays
    // formulas, how many rounds have ended and how the last one did.
    std::uint32_t RoundStartTick = 0;
    bool RoundIsFormula = false;
    std::uint32_t RoundsEnded = 0;
    RoundRecord LastRound;

    // The current puzzle: QuestionText, ElementCount, AnswerTexts, SolutionTexts,
    // PictureNames, ElementPictures, HasElementPictures, PictureAspect.
    PuzzleContent Puzzle;

    // Elements (index = correct order). DrawnColumn/DrawnSlot are where an element's current
    // move started; they take the target values when it arrives.
    std::array<std::uint8_t, kMaxElements> ElementState{};
    std::array<std::uint8_t, kMaxElements> ElementColumn{};
    std::array<std::uint8_t, kMaxElements> ElementSlot{};  // half rows from the board top
    std::array<std::uint8_t, kMaxElements> DrawnColumn{};
    std::array<std::uint8_t, kMaxElements> DrawnSlot{};
    std::array<std::uint32_t, kMaxElements> MoveStartTick{};
    // Elements still on their way after the last tick's motion step; nonzero blocks moves
    // and phase steps.
    std::uint32_t MovingCount = 0;

    // Move queue, guarded by MoveQueueLock.
    std::array<std::uint8_t, kMoveQueueSize> MoveQueue{};
    std::uint32_t MoveQueueCount = 0;
    CMoveQueueLock MoveQueueLock;

    // Options mirrored from the settings. ComPort is also read by the remote reader thread,
    // hence atomic.
    std::uint32_t UseFormulas = 1;
    std::uint32_t JoystickOn = 1;
    std::uint32_t AutoStars = 1;
    std::uint32_t StarSize = 0;
    std::uint32_t Timeout = 0;  // seconds, 0 = none
    std::string PuzzlePath;
    std::string PreviousPuzzlePath;
    std::atomic<std::uint32_t> ComPort{0};

    // Star geometry derived from StarSize: the rules wrap stars at StarModulus, the layout
    // and the star panels follow the rest.
    std::uint32_t StarModulus = 8;
    std::int32_t StarColumns = 1;
    std::int32_t StarPanelWidth = 136;
    std::int32_t StarCellHeight = 136;

    // Full-screen pointer parking: the frame's zoom mode and the view's rectangle on screen,
    // its right edge reduced by one.
    std::uint32_t ZoomMode = 0;
    ScreenRect WindowRect;
};

}  // namespace kelvandor
