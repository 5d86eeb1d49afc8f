#pragma once
// CKelvandorView: the game view. It owns the whole game state (players, stars, the board,
// the round's counters, the move queue, the options mirrored from the settings and the layout
// numbers) and runs on the user-interface thread. It reaches the outside world only through
// its IViewHost: the host delivers window events (create, size, timer, commands, keys, stop
// buttons) by calling the handlers below, always on the same thread.

#include <array>
#include <atomic>
#include <cstdint>
#include <string>

#include "game/CommandIds.h"
#include "game/MoveQueueLock.h"
#include "game/ScreenImages.h"
#include "game/ViewHost.h"
#include "puzzles/GameRandom.h"
#include "puzzles/PuzzleContent.h"
#include "settings/SettingsStore.h"

namespace kelvandor {

inline constexpr std::uint32_t kGameTimerId = 14766;
inline constexpr std::uint32_t kTickMilliseconds = 50;
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

// Star panel colour codes.
inline constexpr std::uint8_t kPanelIdle = 0;
inline constexpr std::uint8_t kPanelLatched = 1;
inline constexpr std::uint8_t kPanelLeftActive = 3;
inline constexpr std::uint8_t kPanelRightActive = 4;

// DirtyMask: bit i = element i, bit 31 = the whole play area.
inline constexpr std::uint32_t kAllDirty = 0xFFFFFFFFu;
inline constexpr std::uint32_t kFullRedrawBit = 0x80000000u;

// Shown in the question band when no puzzle is left and formulas are off.
inline constexpr const char* kNoPuzzleLeftMessage = "Es sind keine R\xE4tsel mehr vorhanden ...";

// Where one element is drawn in this tick, relative to the board origin.
struct ElementPlacement {
    std::int32_t index = 0;
    std::int32_t x = 0, y = 0;              // drawn position (moving or at rest)
    std::int32_t targetX = 0, targetY = 0;  // its place on the board
};

// What the repaint of one tick must draw of the play area, in drawing order. Produced by
// CKelvandorView::AdvanceElementMotion, which also does the movement bookkeeping.
struct ElementRepaint {
    bool elementsDrawn = false;        // false: DirtyMask was 0, the play area is left alone
    bool fullRedraw = false;           // clear and invalidate the whole play area
    bool showSolutionTexts = false;    // full redraw of a finished round with nothing moving
    std::uint32_t countdownDigit = 0;  // 1..10 = draw digit image countdownDigit - 1
    std::int32_t count = 0;
    std::array<ElementPlacement, kMaxElements> elements{};  // dirty elements, selected last
};

class CKelvandorView {
public:
    // Gives every field its default, reads the settings from `settings` (kept for saving them
    // on destruction; it must outlive the view) and seeds the random generator from the host's
    // clocks. `loadPicture` loads answer pictures; it may load nothing.
    CKelvandorView(IViewHost& host, ISettingsStore& settings, PictureLoader loadPicture);
    // Writes the settings back and stops the remote reader.
    ~CKelvandorView();
    CKelvandorView(const CKelvandorView&) = delete;
    CKelvandorView& operator=(const CKelvandorView&) = delete;

    // --- Window lifecycle (round flow) ---
    // Applies the star geometry, starts the remote reader and the game timer, and asks for a
    // puzzle root when there is none. Returns 0.
    int OnCreate();
    void OnSize(std::int32_t cx, std::int32_t cy);
    void OnDestroy();
    // One game tick for kGameTimerId; other ids are ignored.
    void OnTimer(std::uint32_t id);
    // The main frame's zoom mode (0 not zoomed, 1 zoomed from a normal window, 2 from a
    // maximised one) after each change.
    void SetZoomMode(std::uint32_t mode);
    // A path given on the command line replaces the stored puzzle root for this run.
    void SetPuzzlePathFromCommandLine(const std::string& path);

    // --- Round ---
    void StartNextPuzzle();
    void ClearBoard();
    // Reads puzzle `number` below PuzzlePath. Returns false when its Game.txt is missing or
    // empty, or when it has fewer than two answers (nothing to order). On success the view
    // holds MoveQueueLock until StartNextPuzzle has dealt the board; loading again before that
    // does not wait for it.
    bool LoadPuzzle(std::int32_t number);

    // --- Ordering and scoring ---
    void QueueMove(std::uint32_t direction);
    void MoveSelected(std::uint32_t direction);
    // The stop button of `player`; no enable rule applies (remote buttons and buzzer use).
    void JudgePlayer(std::uint32_t player);
    void TimeOut();
    void AddStar(std::uint32_t player);
    void RemoveStar(std::uint32_t player);

    // --- Commands and keys ---
    // Runs command `id` if the view handles it and its enable rule allows it; returns whether
    // it ran. Menus, accelerators, the toolbar and posted commands all come through here.
    bool OnCommand(CommandId id);
    bool IsCommandEnabled(CommandId id) const;
    bool IsCommandChecked(CommandId id) const;
    // An arrow key (virtual-key code); every other key is ignored.
    void OnKeyDown(std::uint32_t virtualKey);
    // A press of remote button `code` that passed the reader's bounce check, on the view's
    // thread: the button table (RemoteButtons.h) maps it with the current JoystickOn. A stop
    // button runs JudgePlayer without an enable rule (the buzzer between rounds), a command
    // runs through its enable rule, an arrow as OnKeyDown; other codes do nothing.
    void OnRemoteButton(std::uint32_t code);

    void SwitchPlayer();
    void ToggleLeftPlayer();
    void ToggleRightPlayer();
    void SetStarSize(std::uint32_t size);
    void ToggleAutoStars();
    void ToggleUseFormulas();
    void ToggleJoystickOn();
    void OnNextGameNumber();
    void OnSetPuzzlePath();
    void OnSelectComPort();
    void OnSetTimeout();

    // --- Settings ---
    // Reads whichever of the seven values `store` holds into the members (Timeout clamped).
    void LoadSettings(ISettingsStore& store);
    void SaveSettings(ISettingsStore& store) const;

    // --- Layout and movement bookkeeping (drawing lives with the renderer) ---
    // Sets StarModulus, StarColumns, StarPanelWidth and StarCellHeight for `size`, and makes
    // the current star image a copy of the star of that size.
    void ApplyStarSize(std::uint32_t size);
    // Recomputes the board geometry from the view size. When the tile size or the play area
    // changed it renders the tiles again (RenderTiles) and returns true.
    bool ComputeLayout();
    // The element part of a tick's repaint: decides which elements still move and where
    // each is drawn, updates DrawnColumn/DrawnSlot, MovingCount, ShownCountdownDigit and the
    // next DirtyMask.
    ElementRepaint AdvanceElementMotion(std::uint32_t now);
    // Step 6 of the tick: brings the screen up to date with the state (the movement
    // bookkeeping included) and invalidates what changed.
    void RepaintTick(std::uint32_t now);

    // --- Drawing (RenderTiles.cpp, Repaint.cpp) ---
    // Loads the star images and makes the ten countdown digits from the digit strip; a
    // missing picture leaves its image empty, which draws nothing.
    void LoadScreenImages();
    // Renders the four state tiles and the element images of the current puzzle for the
    // current tile size, and marks the whole board and the question for redrawing.
    void RenderTiles();

    std::int32_t ElementCount() const { return Puzzle.ElementCount; }

    // ===== Game state. Plain fields, read by the renderer, the shell and the tools. =====

    // Players and turn.
    std::uint32_t ActivePlayer = kNobody;  // 0 left, 1 right, 2 nobody
    std::uint32_t StartingPlayer = 0;
    std::array<std::uint8_t, 2> Stars{};
    std::array<std::uint8_t, 2> Latched{};
    std::array<std::uint8_t, 2> PanelColour{};
    std::array<std::uint8_t, 2> LastPanelColour{};
    std::uint32_t TurnStartTick = 0;
    std::uint32_t CountdownDigit = 0;  // 0 none, 1..10 = digit CountdownDigit - 1 shown
    std::uint32_t ShownCountdownDigit = 0;

    // Round phase.
    std::uint32_t Started = 0;
    std::uint32_t PhaseCountdown = 0;  // 0 play, >1 counting to the solution, 1 round over
    std::uint32_t SelectCountdown = 0;
    std::uint32_t NextSelection = 0;
    std::uint32_t WrongSoundDelay = 0;
    std::int32_t GameNumber = 0;

    // The current puzzle: QuestionText, ElementCount, AnswerTexts, SolutionTexts,
    // PictureNames, ElementPictures, HasElementPictures, PictureAspect.
    PuzzleContent Puzzle;

    // Elements (index = correct order).
    std::array<std::uint8_t, kMaxElements> ElementState{};
    std::array<std::uint8_t, kMaxElements> ElementColumn{};
    std::array<std::uint8_t, kMaxElements> ElementSlot{};  // half rows from the board top
    std::array<std::uint8_t, kMaxElements> DrawnColumn{};
    std::array<std::uint8_t, kMaxElements> DrawnSlot{};
    std::array<std::uint32_t, kMaxElements> MoveStartTick{};
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

    // Star geometry derived from StarSize.
    std::uint32_t StarModulus = 8;
    std::int32_t StarColumns = 1;
    std::int32_t StarPanelWidth = 136;
    std::int32_t StarCellHeight = 136;

    // Screen and layout.
    std::int32_t ViewWidth = 0, ViewHeight = 0;
    std::int32_t AreaWidth = 0, AreaHeight = 0;
    std::int32_t TileWidth = 0, TileHeight = 0;
    std::int32_t ColumnStep = 0, RowStep = 0;
    std::int32_t BoardOriginX = 0, BoardOriginY = 0;
    std::uint32_t DirtyMask = 0;
    std::uint32_t QuestionDirty = 0;
    std::uint32_t BevelDirty = 0;
    std::array<std::array<std::uint8_t, 32>, 2> StarCellCache{};

    // The pictures the screen is drawn from (tiles, element images, stars, digits).
    ScreenImages Images;

    // Full-screen pointer parking.
    std::uint32_t ZoomMode = 0;
    ScreenRect WindowRect;

    GameRandom Random;

private:
    struct ColumnExtent {
        std::int32_t count = 0, min = 100, max = -1;
    };

    void ResetElementArrays();
    void ResetPanelsForNextRound();
    void SetPanelsForActivePlayer();
    void PassTurn();
    void LayOutSolution(std::uint32_t now);
    void RunTurnClock(std::uint32_t now);
    void PerformQueuedMove();
    void DealBoard(std::uint32_t now);
    std::array<ColumnExtent, 2> MeasureColumns() const;
    void MoveAcrossColumns(std::uint32_t selected, std::uint8_t toColumn, std::uint32_t now);
    void MoveWithinColumn(std::uint32_t selected, std::int32_t slotDelta, std::uint32_t now);
    bool LeftColumnInOrder() const;
    void Play(const char* sound) { host_.PlaySound(sound); }

    IViewHost& host_;
    ISettingsStore& settings_;
    PictureLoader loadPicture_;
    bool tickRunning_ = false;
    bool loadHoldsMoveQueueLock_ = false;
};

}  // namespace kelvandor
