// The game view's lifecycle and the flow of a round: construction, window events, the tick,
// starting a round and clearing the board.

#include "game/KelvandorView.h"

#include <algorithm>
#include <utility>

#include "puzzles/Formulas.h"
#include "puzzles/LoadPuzzle.h"
#include "puzzles/Selection.h"
#include "settings/GameSettings.h"

namespace kelvandor {

namespace {

// Counters of a round, in ticks of 50 ms.
constexpr std::uint32_t kShuffleSwaps = 100;
constexpr std::uint32_t kCountdownWindowMs = 10000;

// Runs while a flag is set, so that a tick arriving while the previous one still runs (a
// nested event loop in the shell) is dropped instead of interleaving with it.
class CBusyGuard {
public:
    explicit CBusyGuard(bool& flag) : flag_(flag) { flag_ = true; }
    ~CBusyGuard() { flag_ = false; }
    CBusyGuard(const CBusyGuard&) = delete;
    CBusyGuard& operator=(const CBusyGuard&) = delete;

private:
    bool& flag_;
};

}  // namespace

CKelvandorView::CKelvandorView(IViewHost& host, ISettingsStore& settings, PictureLoader loadPicture)
    : host_(host), settings_(settings), loadPicture_(std::move(loadPicture)) {
    LoadSettings(settings_);
    for (auto& cache : StarCellCache) {
        cache.fill(0xFF);
    }
    ResetElementArrays();
    const auto seconds = static_cast<std::uint32_t>(host_.SecondsSince1970());
    Random.Seed(seconds ^ host_.TickCount());
}

CKelvandorView::~CKelvandorView() {
    SaveSettings(settings_);
    host_.StopRemoteReader();
}

void CKelvandorView::LoadSettings(ISettingsStore& store) {
    GameSettings s{UseFormulas, JoystickOn, AutoStars,     StarSize,
                   PuzzlePath,  Timeout,           ComPort.load()};
    ::kelvandor::LoadSettings(store, s);
    UseFormulas = s.UseFormulas;
    JoystickOn = s.JoystickOn;
    AutoStars = s.AutoStars;
    StarSize = s.StarSize;
    PuzzlePath = s.PuzzlePath;
    Timeout = s.Timeout;
    ComPort.store(s.ComPort);
}

void CKelvandorView::SaveSettings(ISettingsStore& store) const {
    const GameSettings s{UseFormulas, JoystickOn, AutoStars,     StarSize,
                         PuzzlePath,  Timeout,           ComPort.load()};
    ::kelvandor::SaveSettings(store, s);
}

void CKelvandorView::SetPuzzlePathFromCommandLine(const std::string& path) {
    PreviousPuzzlePath = PuzzlePath;
    PuzzlePath = path;
    TrimPathSeparator(PuzzlePath);
}

int CKelvandorView::OnCreate() {
    LoadScreenImages();
    ApplyStarSize(StarSize);
    host_.StartRemoteReader();
    host_.StartTimer(kGameTimerId, kTickMilliseconds);
    if (PuzzlePath.size() < 2) {
        // A first run has no puzzle root yet: ask for it as soon as the window is up.
        host_.PostCommand(CommandId::SetPuzzlePath);
    }
    return 0;
}

void CKelvandorView::OnSize(std::int32_t cx, std::int32_t cy) {
    if (cx <= 0 || cy <= 0) {
        return;
    }
    for (auto& cache : StarCellCache) {
        cache.fill(0xFF);
    }
    host_.ResizeDisplay(cx, cy);
    host_.BackBuffer().FillRect(0, 0, cx, cy, 0);
    ViewWidth = cx;
    ViewHeight = cy;
    BevelDirty = 1;
    // The buffer was cleared, so everything on it must be drawn again, also when the layout
    // stays the same (a window restored at its old size).
    DirtyMask = kAllDirty;
    QuestionDirty = 1;
    ComputeLayout();
}

void CKelvandorView::OnDestroy() {
    host_.HideMainWindow();
}

void CKelvandorView::SetZoomMode(std::uint32_t mode) {
    ZoomMode = mode;
    WindowRect = host_.ViewScreenRect();
    WindowRect.right -= 1;
}

void CKelvandorView::OnTimer(std::uint32_t id) {
    if (id != kGameTimerId || ViewWidth == 0 || ViewHeight == 0 || tickRunning_) {
        return;
    }
    CBusyGuard busy(tickRunning_);

    // Keep the mouse pointer out of the picture when full screen covers a maximised window.
    if (ZoomMode == 2) {
        if (std::optional<ScreenPoint> p = host_.CursorPosition(); p && WindowRect.Contains(*p)) {
            host_.MoveCursor({WindowRect.right, WindowRect.bottom - 1});
        }
    }

    const std::uint32_t now = host_.TickCount();

    if (PhaseCountdown != 0) {
        if (PhaseCountdown > 1) {
            --PhaseCountdown;
        }
        if (PhaseCountdown == 2) {
            if (MovingCount != 0) {
                PhaseCountdown = 3;  // wait until the last move has been drawn
            } else {
                LayOutSolution(now);
            }
        }
        if (WrongSoundDelay != 0 && --WrongSoundDelay == 0) {
            Play("WRONG");
        }
    }

    if (SelectCountdown != 0 && PhaseCountdown == 0 && Started != 0) {
        if (--SelectCountdown == 0) {
            Play("TUCK");
            if (NextSelection < static_cast<std::uint32_t>(ElementCount())) {
                ElementState[NextSelection] = kStateSelected;
                DirtyMask |= 1u << NextSelection;
            }
            Latched = {0, 0};
            TurnStartTick = now;
            PassTurn();
        }
    }

    RunTurnClock(now);
    RepaintTick(now);
    PerformQueuedMove();
}

void CKelvandorView::LayOutSolution(std::uint32_t now) {
    for (std::int32_t i = 0; i < ElementCount(); ++i) {
        ElementColumn[i] = kLeftColumn;
        ElementSlot[i] = static_cast<std::uint8_t>(2 * i);
        MoveStartTick[i] = now;
    }
    TurnStartTick = now;
    // The next puzzle passes the turn, so it starts with the player who did not start this one.
    ActivePlayer = StartingPlayer;
    DirtyMask = kAllDirty;
    MovingCount = 1;
    PanelColour = {kPanelIdle, kPanelIdle};
}

void CKelvandorView::RunTurnClock(std::uint32_t now) {
    const bool runs = Timeout != 0 && Started != 0 && Latched[0] == 0 && Latched[1] == 0 &&
                      PhaseCountdown == 0 && SelectCountdown == 0;
    if (!runs) {
        CountdownDigit = 0;
        return;
    }
    const std::uint64_t elapsed = static_cast<std::uint32_t>(now - TurnStartTick);
    const std::uint64_t limit = static_cast<std::uint64_t>(Timeout) * 1000;
    if (elapsed >= limit) {
        TimeOut();
    } else if (elapsed + kCountdownWindowMs > limit) {
        const auto digit =
            static_cast<std::uint32_t>(10 - (elapsed + kCountdownWindowMs - limit) / 1000);
        if (digit != CountdownDigit) {
            CountdownDigit = digit;
            Play("TICK");
        }
    } else {
        CountdownDigit = 0;
    }
}

void CKelvandorView::PerformQueuedMove() {
    // While a loaded puzzle waits to be dealt, the view itself holds the lock; the deal
    // empties the queue anyway, so there is nothing to do until then.
    if (MoveQueueCount == 0 || MovingCount != 0 || loadHoldsMoveQueueLock_) {
        return;
    }
    MoveQueueLock.Acquire();
    if (MoveQueueCount != 0) {
        --MoveQueueCount;
        const std::uint8_t direction = MoveQueue[0];
        std::copy(MoveQueue.begin() + 1, MoveQueue.begin() + 1 + MoveQueueCount, MoveQueue.begin());
        MoveSelected(direction);
    }
    MoveQueueLock.Release();
}

void CKelvandorView::PassTurn() {
    ActivePlayer = ActivePlayer == 0 ? 1 : 0;
    SetPanelsForActivePlayer();
}

void CKelvandorView::SetPanelsForActivePlayer() {
    if (ActivePlayer == 0) {
        PanelColour = {kPanelLeftActive, kPanelIdle};
    } else {
        PanelColour = {kPanelIdle, kPanelRightActive};
    }
}

void CKelvandorView::ResetElementArrays() {
    ElementState.fill(0);
    ElementColumn.fill(0);
    ElementSlot.fill(0);
    DrawnColumn.fill(0);
    DrawnSlot.fill(0);
}

bool CKelvandorView::LoadPuzzle(std::int32_t number) {
    ResetElementArrays();
    if (!kelvandor::LoadPuzzle(PuzzlePath, number, Puzzle, loadPicture_)) {
        return false;
    }
    // With fewer than two answers there is nothing to order: the round would deal no
    // selection, so nothing could be moved or judged and no command would end it. Such a
    // puzzle is passed over like a missing directory.
    if (Puzzle.ElementCount < 2) {
        Puzzle.ElementCount = 0;
        return false;
    }
    // The lock keeps the move queue still until the board is dealt. A second load before the
    // deal must not wait for the lock this view already holds.
    if (!loadHoldsMoveQueueLock_) {
        MoveQueueLock.Acquire();
        loadHoldsMoveQueueLock_ = true;
    }
    return true;
}

void CKelvandorView::StartNextPuzzle() {
    if (PhaseCountdown > 1 || Started != 0) {
        return;
    }
    const SelectionOutcome outcome = SelectNextPuzzle(
        GameNumber, UseFormulas != 0, [this](std::int32_t n) { return LoadPuzzle(n); },
        [this] { GenerateFormulas(Puzzle, Random); });

    if (outcome == SelectionOutcome::NothingLeft) {
        Puzzle.QuestionText = kNoPuzzleLeftMessage;
        Puzzle.ElementCount = 0;
        ActivePlayer = kNobody;
        ResetPanelsForNextRound();
        DirtyMask = kAllDirty;
        QuestionDirty = 1;
        return;
    }
    Puzzle.ElementCount = std::clamp(Puzzle.ElementCount, 0, kMaxElements);

    DealBoard(host_.TickCount());
    MovingCount = static_cast<std::uint32_t>(ElementCount());
    DirtyMask = kAllDirty;
    MoveQueueCount = 0;
    if (loadHoldsMoveQueueLock_) {
        loadHoldsMoveQueueLock_ = false;
        MoveQueueLock.Release();
    }
    // The new answers need their element images; a layout change renders them anyway.
    if (!ComputeLayout()) {
        RenderTiles();
    }

    ResetPanelsForNextRound();
    PassTurn();
    TurnStartTick = host_.TickCount();
    StartingPlayer = ActivePlayer;
    CountdownDigit = 0;
    PhaseCountdown = 0;
    WrongSoundDelay = 0;
    SelectCountdown = 0;
    QuestionDirty = 1;
    Started = 1;
}

void CKelvandorView::ResetPanelsForNextRound() {
    // A buzz between rounds must not leave a player latched into the new round.
    Latched = {0, 0};
    PanelColour = {kPanelIdle, kPanelIdle};
}

void CKelvandorView::DealBoard(std::uint32_t now) {
    const std::int32_t n = ElementCount();
    std::array<std::uint8_t, kMaxElements> order{};
    for (std::int32_t i = 0; i < n; ++i) {
        order[i] = static_cast<std::uint8_t>(i);
    }
    if (n > 1) {
        for (std::uint32_t swap = 0; swap < kShuffleSwaps; ++swap) {
            const std::uint32_t a = Random.NextRandom() % static_cast<std::uint32_t>(n);
            const std::uint32_t b = Random.NextRandom() % static_cast<std::uint32_t>(n);
            std::swap(order[a], order[b]);
        }
    }
    if (n == 0) {
        return;
    }
    // The first answer of the shuffle starts the ordered column in the vertical centre; the
    // others fill the pool, and the middle one of the pool starts selected. With two answers
    // the usual middle would lie beyond the pool, so its only answer is selected.
    const std::int32_t selectedK = std::min(n / 2 + 1, n - 1);
    const std::uint8_t first = order[0];
    ElementColumn[first] = kLeftColumn;
    ElementSlot[first] = static_cast<std::uint8_t>(n - 1);
    ElementState[first] = kStatePlaced;
    MoveStartTick[first] = now;
    for (std::int32_t k = 1; k < n; ++k) {
        const std::uint8_t e = order[k];
        ElementColumn[e] = kRightColumn;
        ElementSlot[e] = static_cast<std::uint8_t>(2 * k - 1);
        ElementState[e] = k == selectedK ? kStateSelected : kStateNormal;
        MoveStartTick[e] = now;
    }
}

void CKelvandorView::ClearBoard() {
    if (PhaseCountdown > 1) {
        return;
    }
    DirtyMask = kAllDirty;
    PhaseCountdown = 0;
    SelectCountdown = 0;
    Puzzle.ElementCount = 0;
    Puzzle.QuestionText.clear();
    QuestionDirty = 1;
    CountdownDigit = 0;
    Started = 0;
    ResetPanelsForNextRound();
}

}  // namespace kelvandor
