// The game view's lifecycle and the flow of a round: construction, window events, the tick,
// starting a round and clearing the board.

#include "game/KelvandorView.h"

#include <algorithm>
#include <thread>
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
    : CKelvandorView(host, settings,
                     loadPicture ? FittingPictureLoader([load = std::move(loadPicture)](
                                                            const std::string& path, ImageSize,
                                                            CDibImage& image, ImageSize& fullSize) {
                         const int code = load(path, image, kMaxPicturePixels);
                         fullSize = {image.width, image.height};
                         return code;
                     })
                                 : FittingPictureLoader()) {}

CKelvandorView::CKelvandorView(IViewHost& host, ISettingsStore& settings,
                               FittingPictureLoader loadPicture)
    : host_(host), settings_(settings), loadPicture_(std::move(loadPicture)) {
    LoadSettings(settings_);
    ResetElementArrays();
    const auto seconds = static_cast<std::uint32_t>(host_.SecondsSince1970());
    random_.Seed(seconds ^ host_.TickCount());
}

CKelvandorView::~CKelvandorView() {
    pictureBatch_.reset();
    ahead_.reset();
    dropped_.reset();
    SaveSettings(settings_);
    host_.StopRemoteReader();
}

void CKelvandorView::LoadSettings(ISettingsStore& store) {
    GameSettings s{state_.UseFormulas, state_.JoystickOn, state_.AutoStars,     state_.StarSize,
                   state_.PuzzlePath,  state_.Timeout,    state_.ComPort.load()};
    ::kelvandor::LoadSettings(store, s);
    state_.UseFormulas = s.UseFormulas;
    state_.JoystickOn = s.JoystickOn;
    state_.AutoStars = s.AutoStars;
    state_.StarSize = s.StarSize;
    state_.PuzzlePath = s.PuzzlePath;
    state_.Timeout = s.Timeout;
    state_.ComPort.store(s.ComPort);
}

void CKelvandorView::SaveSettings(ISettingsStore& store) const {
    const GameSettings s{state_.UseFormulas,   state_.JoystickOn, state_.AutoStars,
                         state_.StarSize,      state_.PuzzlePath, state_.Timeout,
                         state_.ComPort.load()};
    ::kelvandor::SaveSettings(store, s);
}

void CKelvandorView::SetPuzzlePathFromCommandLine(const std::string& path) {
    state_.PreviousPuzzlePath = state_.PuzzlePath;
    state_.PuzzlePath = path;
    TrimPathSeparator(state_.PuzzlePath);
}

int CKelvandorView::OnCreate() {
    renderer_.LoadScreenImages();
    ApplyStarSize(state_.StarSize);
    host_.StartRemoteReader();
    host_.StartTimer(kGameTimerId, kTickMilliseconds);
    if (state_.PuzzlePath.size() < 2) {
        // A first run has no puzzle root yet: ask for it as soon as the window is up.
        host_.PostCommand(CommandId::SetPuzzlePath);
    }
    return 0;
}

void CKelvandorView::OnSize(std::int32_t cx, std::int32_t cy) {
    if (cx <= 0 || cy <= 0) {
        return;
    }
    renderer_.Resize(cx, cy);
}

void CKelvandorView::OnDestroy() {
    host_.HideMainWindow();
}

void CKelvandorView::SetZoomMode(std::uint32_t mode) {
    state_.ZoomMode = mode;
    state_.WindowRect = host_.ViewScreenRect();
    state_.WindowRect.right -= 1;
}

void CKelvandorView::OnTimer(std::uint32_t id) {
    if (id != kGameTimerId || Screen().ViewWidth == 0 || Screen().ViewHeight == 0 || tickRunning_) {
        return;
    }
    CBusyGuard busy(tickRunning_);

    // Keep the mouse pointer out of the picture when full screen covers a maximised window.
    if (state_.ZoomMode == 2) {
        if (std::optional<ScreenPoint> p = host_.CursorPosition();
            p && state_.WindowRect.Contains(*p)) {
            host_.MoveCursor({state_.WindowRect.right, state_.WindowRect.bottom - 1});
        }
    }

    const std::uint32_t now = host_.TickCount();

    if (state_.PhaseCountdown != 0) {
        if (state_.PhaseCountdown > 1) {
            --state_.PhaseCountdown;
        }
        if (state_.PhaseCountdown == 2) {
            if (state_.MovingCount != 0) {
                state_.PhaseCountdown = 3;  // wait until the last move has been drawn
            } else {
                LayOutSolution(now);
            }
        }
        if (state_.WrongSoundDelay != 0 && --state_.WrongSoundDelay == 0) {
            Play("WRONG");
        }
    }

    if (state_.SelectCountdown != 0 && state_.PhaseCountdown == 0 && state_.Started != 0) {
        if (--state_.SelectCountdown == 0) {
            Play("TUCK");
            if (state_.NextSelection < static_cast<std::uint32_t>(ElementCount())) {
                state_.ElementState[state_.NextSelection] = kStateSelected;
                MarkDirty(1u << state_.NextSelection);
            }
            state_.Latched = {0, 0};
            state_.TurnStartTick = now;
            PassTurn();
        }
    }

    RunTurnClock(now);
    AdvanceAndDraw(now);
    PerformQueuedMove();

    if (dropped_ && dropped_->Finished()) {
        dropped_.reset();
    }
    if (loadPicture_ && host_.LoadsPicturesInBackground() && !pictureBatch_ &&
        state_.MovingCount == 0 &&
        (!aheadFor_ || aheadFor_->first != state_.PuzzlePath ||
         aheadFor_->second != state_.GameNumber)) {
        LoadNextPicturesAhead();
    }
}

void CKelvandorView::AdvanceAndDraw(std::uint32_t now) {
    // The game moves first; the renderer then draws what the motion step left, and changes
    // nothing the rules read.
    const BoardMotion motion = AdvanceElementMotion(state_, renderer_.Screen(), now);
    renderer_.RepaintTick(motion);
}

void CKelvandorView::LayOutSolution(std::uint32_t now) {
    for (std::int32_t i = 0; i < ElementCount(); ++i) {
        state_.ElementColumn[i] = kLeftColumn;
        state_.ElementSlot[i] = static_cast<std::uint8_t>(2 * i);
        state_.MoveStartTick[i] = now;
    }
    state_.TurnStartTick = now;
    // The next puzzle passes the turn, so it starts with the player who did not start this one.
    state_.ActivePlayer = state_.StartingPlayer;
    MarkDirty(kAllDirty);
    state_.MovingCount = 1;
    state_.PanelColour = {kPanelIdle, kPanelIdle};
}

void CKelvandorView::RunTurnClock(std::uint32_t now) {
    const bool runs = state_.Timeout != 0 && state_.Started != 0 && state_.Latched[0] == 0 &&
                      state_.Latched[1] == 0 && state_.PhaseCountdown == 0 &&
                      state_.SelectCountdown == 0;
    if (!runs) {
        state_.CountdownDigit = 0;
        return;
    }
    const std::uint64_t elapsed = static_cast<std::uint32_t>(now - state_.TurnStartTick);
    const std::uint64_t limit = static_cast<std::uint64_t>(state_.Timeout) * 1000;
    if (elapsed >= limit) {
        TimeOut();
    } else if (elapsed + kCountdownWindowMs > limit) {
        const auto digit =
            static_cast<std::uint32_t>(10 - (elapsed + kCountdownWindowMs - limit) / 1000);
        if (digit != state_.CountdownDigit) {
            state_.CountdownDigit = digit;
            Play("TICK");
        }
    } else {
        state_.CountdownDigit = 0;
    }
}

void CKelvandorView::PerformQueuedMove() {
    // While a loaded puzzle waits to be dealt, the view itself holds the lock; the deal
    // empties the queue anyway, so there is nothing to do until then.
    if (state_.MoveQueueCount == 0 || state_.MovingCount != 0 || loadHoldsMoveQueueLock_) {
        return;
    }
    state_.MoveQueueLock.Acquire();
    if (state_.MoveQueueCount != 0) {
        --state_.MoveQueueCount;
        const std::uint8_t direction = state_.MoveQueue[0];
        std::copy(state_.MoveQueue.begin() + 1,
                  state_.MoveQueue.begin() + 1 + state_.MoveQueueCount, state_.MoveQueue.begin());
        MoveSelected(direction);
    }
    state_.MoveQueueLock.Release();
}

void CKelvandorView::PassTurn() {
    state_.ActivePlayer = state_.ActivePlayer == 0 ? 1 : 0;
    SetPanelsForActivePlayer();
}

void CKelvandorView::SetPanelsForActivePlayer() {
    if (state_.ActivePlayer == 0) {
        state_.PanelColour = {kPanelLeftActive, kPanelIdle};
    } else {
        state_.PanelColour = {kPanelIdle, kPanelRightActive};
    }
}

void CKelvandorView::ApplyStarSize(std::uint32_t size) {
    struct StarGeometry {
        std::uint32_t modulus;
        std::int32_t columns, panelWidth, cellHeight;
    };
    static constexpr StarGeometry kGeometry[] = {
        {8, 1, 136, 136},  // large
        {8, 1, 102, 102},  // medium
        {8, 1, 68, 68},    // small
        {25, 2, 136, 68},  // two columns of small stars
    };
    const StarGeometry& g = kGeometry[size < 4 ? size : 0];
    state_.StarModulus = g.modulus;
    state_.StarColumns = g.columns;
    state_.StarPanelWidth = g.panelWidth;
    state_.StarCellHeight = g.cellHeight;
    renderer_.UseStarImage(size);
}

void CKelvandorView::ResetElementArrays() {
    state_.ElementState.fill(0);
    state_.ElementColumn.fill(0);
    state_.ElementSlot.fill(0);
    state_.DrawnColumn.fill(0);
    state_.DrawnSlot.fill(0);
}

namespace {

// LoadPuzzleText for a round: with fewer than two answers there is nothing to order (the
// round would deal no selection, so nothing could be moved or judged and no command would
// end it), and such a puzzle is passed over like a missing directory.
bool LoadPlayablePuzzleText(const std::string& root, std::int32_t number, PuzzleContent& into,
                            PicturePaths& pictures) {
    if (!LoadPuzzleText(root, number, into, pictures)) {
        return false;
    }
    if (into.ElementCount < 2) {
        into.ElementCount = 0;
        return false;
    }
    return true;
}

bool AnyPicture(const PicturePaths& pictures) {
    return std::any_of(pictures.begin(), pictures.end(),
                       [](const std::string& path) { return !path.empty(); });
}

unsigned PictureThreads() {
    return std::max(2u, std::thread::hardware_concurrency());
}

}  // namespace

bool CKelvandorView::ReadPuzzleText(std::int32_t number, PuzzleContent& into,
                                    PicturePaths& pictures) {
    if (!LoadPlayablePuzzleText(state_.PuzzlePath, number, into, pictures)) {
        return false;
    }
    // The lock keeps the move queue still until the board is dealt. A second load before the
    // deal must not wait for the lock this view already holds.
    if (!loadHoldsMoveQueueLock_) {
        state_.MoveQueueLock.Acquire();
        loadHoldsMoveQueueLock_ = true;
    }
    return true;
}

bool CKelvandorView::LoadPuzzle(std::int32_t number) {
    ResetElementArrays();
    PicturePaths pictures;
    if (!ReadPuzzleText(number, state_.Puzzle, pictures)) {
        return false;
    }
    CPictureBatch batch(pictures, loadPicture_, ImageSize{}, 1, {});
    batch.Wait();
    TakePuzzlePictures(state_.Puzzle, batch.Pictures());
    return true;
}

ImageSize CKelvandorView::LargestPicture(std::int32_t elementCount) const {
    // The view is at its largest in full screen; a picture is never shown larger than the
    // picture column of that layout allows, whatever the pictures' shapes.
    const ScreenPoint screen = host_.LargestViewSize();
    const ScreenLayout& now = renderer_.Screen();
    const std::int32_t width = std::max(screen.x, now.ViewWidth);
    const std::int32_t height = std::max(screen.y, now.ViewHeight);
    if (width <= 0 || height <= 0) {
        return {};  // no screen yet: whole pictures
    }
    const ScreenLayout layout =
        ComputeScreenLayout(width, height, std::max(elementCount, 1),
                            state_.StarPanelWidth, state_.StarCellHeight);
    // The widest picture column there is: the one of an endlessly wide picture.
    const AnswerRoom room = AnswerRoomFor(layout, INT32_MAX);
    if (room.pictureWidth <= 0 || room.pictureHeight <= 0) {
        return {};
    }
    return {static_cast<std::uint32_t>(room.pictureWidth),
            static_cast<std::uint32_t>(room.pictureHeight)};
}

void CKelvandorView::StartNextPuzzle() {
    if (state_.PhaseCountdown > 1 || state_.Started != 0 || pictureBatch_) {
        return;
    }
    PicturePaths pictures;
    const SelectionOutcome outcome = SelectNextPuzzle(
        state_.GameNumber, state_.UseFormulas != 0,
        [this, &pictures](std::int32_t n) {
            ResetElementArrays();
            return ReadPuzzleText(n, nextPuzzle_, pictures);
        },
        [this, &pictures] {
            pictures = {};
            GenerateFormulas(nextPuzzle_, random_);
        });

    if (outcome == SelectionOutcome::NothingLeft) {
        std::swap(state_.Puzzle, nextPuzzle_);
        nextPuzzle_ = PuzzleContent();
        state_.Puzzle.QuestionText = kNoPuzzleLeftMessage;
        state_.Puzzle.ElementCount = 0;
        state_.ActivePlayer = kNobody;
        ResetPanelsForNextRound();
        MarkDirty(kAllDirty);
        renderer_.MarkQuestionDirty();
        return;
    }
    if (!AnyPicture(pictures) || !loadPicture_) {
        DropPicturesAhead();
        DealNextPuzzle(outcome == SelectionOutcome::FormulasGenerated);
        return;
    }
    // The pictures load on worker threads, each reduced to what the screen can show of it.
    // Where the host lets the user-interface thread go on meanwhile, the window keeps
    // painting and the remote keeps being heard, and the deal follows when they are there.
    const ImageSize fit = LargestPicture(nextPuzzle_.ElementCount);
    if (ahead_ && ahead_->Paths() == pictures && ahead_->Fit() == fit) {
        // Loaded ahead, or still loading on one thread: now it may take them all.
        pictureBatch_ = std::move(ahead_);
        pictureBatchAhead_ = true;
        pictureBatch_->Hurry(PictureThreads());
        if (pictureBatch_->Finished()) {
            OnPicturesLoaded();
        }
        return;
    }
    DropPicturesAhead();
    pictureBatch_ = MakePictureBatch(pictures, fit, PictureThreads());
    if (!host_.LoadsPicturesInBackground()) {
        pictureBatch_->Wait();
        OnPicturesLoaded();
    }
}

void CKelvandorView::OnPicturesLoaded() {
    // A notice may come from a load that was then taken over or dropped; the batch of the
    // puzzle being started posts its own when it is done.
    if (!pictureBatch_ || !pictureBatch_->Finished()) {
        return;
    }
    pictureBatch_->Wait();
    if (pictureBatchAhead_) {
        // Pictures loaded ahead may have been replaced or edited since: those load again.
        pictureBatchAhead_ = false;
        LoadedPictures& loaded = pictureBatch_->Pictures();
        const PicturePaths& paths = pictureBatch_->Paths();
        bool changed = false;
        for (std::size_t i = 0; i < paths.size(); ++i) {
            if (!paths[i].empty() && loaded[i].stamp != StampFile(paths[i])) {
                loaded[i] = LoadedPicture();
                changed = true;
            }
        }
        if (changed) {
            pictureBatch_ = MakePictureBatch(paths, pictureBatch_->Fit(), PictureThreads(),
                                             std::move(loaded));
            return;
        }
    }
    TakePuzzlePictures(nextPuzzle_, pictureBatch_->Pictures());
    pictureBatch_.reset();
    DealNextPuzzle(false);  // generated puzzles have no pictures to wait for
}

std::unique_ptr<CPictureBatch> CKelvandorView::MakePictureBatch(const PicturePaths& paths,
                                                                ImageSize fit, unsigned threads,
                                                                LoadedPictures ready) {
    std::function<void()> done;
    if (host_.LoadsPicturesInBackground()) {
        done = [this] { host_.PostPicturesLoaded(); };
    }
    return std::make_unique<CPictureBatch>(paths, loadPicture_, fit, threads, std::move(done),
                                           std::move(ready));
}

void CKelvandorView::LoadNextPicturesAhead() {
    aheadFor_.emplace(state_.PuzzlePath, state_.GameNumber);
    DropPicturesAhead();
    // The choice F5 would make now, without formulas (they have no pictures) and without
    // touching the game: a copy of the number, a scratch puzzle, no lock.
    std::int32_t number = state_.GameNumber;
    PuzzleContent next;
    PicturePaths pictures;
    const SelectionOutcome outcome = SelectNextPuzzle(
        number, false,
        [this, &next, &pictures](std::int32_t n) {
            return LoadPlayablePuzzleText(state_.PuzzlePath, n, next, pictures);
        },
        {});
    if (outcome != SelectionOutcome::PuzzleLoaded || !AnyPicture(pictures)) {
        return;
    }
    // Unknown screen: the pictures would be loaded whole, too much to hold on the off chance.
    const ImageSize fit = LargestPicture(next.ElementCount);
    if (fit.width == 0 || fit.height == 0) {
        return;
    }
    // One thread at leisure: the players are thinking, and the window keeps its processor.
    ahead_ = MakePictureBatch(pictures, fit, 1);
}

void CKelvandorView::DropPicturesAhead() {
    if (!ahead_) {
        return;
    }
    ahead_->Cancel();
    // A load dropped before is joined here; it has had at least a tick to finish its picture.
    dropped_ = std::move(ahead_);
}

void CKelvandorView::DealNextPuzzle(bool formula) {
    std::swap(state_.Puzzle, nextPuzzle_);
    nextPuzzle_ = PuzzleContent();  // the previous puzzle's pictures go now
    state_.Puzzle.ElementCount = std::clamp(state_.Puzzle.ElementCount, 0, kMaxElements);

    state_.RoundIsFormula = formula;
    DealBoard(host_.TickCount());
    state_.MovingCount = static_cast<std::uint32_t>(ElementCount());
    MarkDirty(kAllDirty);
    state_.MoveQueueCount = 0;
    if (loadHoldsMoveQueueLock_) {
        loadHoldsMoveQueueLock_ = false;
        state_.MoveQueueLock.Release();
    }
    // The new answers need their element images, whether or not the layout changed.
    renderer_.ComputeLayout();
    renderer_.RenderTiles();

    ResetPanelsForNextRound();
    PassTurn();
    state_.TurnStartTick = host_.TickCount();
    state_.StartingPlayer = state_.ActivePlayer;
    state_.RoundStartTick = state_.TurnStartTick;
    state_.CountdownDigit = 0;
    state_.PhaseCountdown = 0;
    state_.WrongSoundDelay = 0;
    state_.SelectCountdown = 0;
    renderer_.MarkQuestionDirty();
    state_.Started = 1;
}

namespace {

// Whether `list` holds exactly the texts that `text` picks from the first `n` elements.
template <typename Text>
bool HoldsTexts(const StringList& list, std::span<const ArrangedElement> elements, std::int32_t n,
                Text text) {
    if (list.Count() != static_cast<std::size_t>(n)) {
        return false;
    }
    for (std::size_t i = 0; i < list.Count(); ++i) {
        if (list.Text(i) != text(elements[i])) {
            return false;
        }
    }
    return true;
}

void SetTexts(StringList& list, std::span<const ArrangedElement> elements, std::int32_t n,
              const std::string ArrangedElement::*text) {
    list.Clear();
    for (std::size_t i = 0; i < static_cast<std::size_t>(n); ++i) {
        list.Insert(i, elements[i].*text);
    }
}

}  // namespace

void CKelvandorView::ArrangeBoard(std::span<const ArrangedElement> elements,
                                  std::uint32_t activePlayer) {
    const std::uint32_t now = host_.TickCount();
    const auto n = static_cast<std::int32_t>(std::min<std::size_t>(elements.size(), kMaxElements));
    PuzzleContent& puzzle = state_.Puzzle;
    // The element images are rendered again only when the answers changed, so that laying
    // the same board out again costs no more than a deal's bookkeeping.
    const bool answersChanged =
        puzzle.ElementCount != n || puzzle.HasElementPictures ||
        !HoldsTexts(puzzle.AnswerTexts, elements, n,
                    [](const ArrangedElement& e) -> const std::string& { return e.answer; });
    if (answersChanged) {
        SetTexts(puzzle.AnswerTexts, elements, n, &ArrangedElement::answer);
        puzzle.PictureNames.Clear();
        puzzle.HasElementPictures = false;
    }
    if (!HoldsTexts(puzzle.SolutionTexts, elements, n,
                    [](const ArrangedElement& e) -> const std::string& { return e.solution; })) {
        SetTexts(puzzle.SolutionTexts, elements, n, &ArrangedElement::solution);
    }
    puzzle.ElementCount = n;
    state_.MovingCount = 0;
    for (std::size_t i = 0; i < static_cast<std::size_t>(n); ++i) {
        const ArrangedElement& e = elements[i];
        state_.ElementColumn[i] = e.column;
        state_.ElementSlot[i] = e.slot;
        state_.ElementState[i] = e.state;
        state_.DrawnColumn[i] = e.fromColumn;
        state_.DrawnSlot[i] = e.fromSlot;
        state_.MoveStartTick[i] = now;
        state_.MovingCount += e.fromColumn != e.column || e.fromSlot != e.slot ? 1 : 0;
    }
    state_.Started = 1;
    state_.ActivePlayer = activePlayer;
    state_.StartingPlayer = activePlayer;
    state_.PhaseCountdown = 0;
    state_.SelectCountdown = 0;
    state_.Latched = {0, 0};
    state_.TurnStartTick = now;
    state_.RoundStartTick = now;
    MarkDirty(kAllDirty);
    if (renderer_.ComputeLayout() || answersChanged) {
        renderer_.RenderTiles();
    }
}

void CKelvandorView::RevealSolution() {
    if (state_.Started == 0 || state_.PhaseCountdown != 0) {
        return;
    }
    state_.PhaseCountdown = kSolvedCountdownTicks;
    NoteRoundEnd(RoundEnding::Solved, state_.ActivePlayer);
}

RoundRecord CKelvandorView::RecordRound(RoundEnding ending, std::uint32_t player,
                                        std::uint32_t now) const {
    return {ending,
            player,
            state_.GameNumber,
            state_.RoundIsFormula,
            state_.Puzzle.QuestionText,
            state_.Stars,
            state_.RoundStartTick,
            now};
}

void CKelvandorView::NoteRoundEnd(RoundEnding ending, std::uint32_t player) {
    state_.LastRound = RecordRound(ending, player, host_.TickCount());
    ++state_.RoundsEnded;
}

ShowStanding CKelvandorView::Standing() const {
    return {state_.Stars, state_.GameNumber, state_.ActivePlayer, state_.StartingPlayer,
            state_.PuzzlePath};
}

bool CKelvandorView::RestoreStanding(const ShowStanding& standing) {
    if (state_.Started != 0 && state_.PhaseCountdown != 1) {
        return false;
    }
    ClearBoard();
    state_.Stars = standing.Stars;
    state_.GameNumber = standing.GameNumber;
    state_.ActivePlayer = standing.ActivePlayer < 2 ? standing.ActivePlayer : kNobody;
    state_.StartingPlayer = standing.StartingPlayer < 2 ? standing.StartingPlayer : 0;
    if (!standing.PuzzlePath.empty()) {
        state_.PuzzlePath = standing.PuzzlePath;
        TrimPathSeparator(state_.PuzzlePath);
    }
    renderer_.MarkDirty(kAllDirty);
    return true;
}

void CKelvandorView::ResetPanelsForNextRound() {
    // A buzz between rounds must not leave a player latched into the new round.
    state_.Latched = {0, 0};
    state_.PanelColour = {kPanelIdle, kPanelIdle};
}

void CKelvandorView::DealBoard(std::uint32_t now) {
    const std::int32_t n = ElementCount();
    std::array<std::uint8_t, kMaxElements> order{};
    for (std::int32_t i = 0; i < n; ++i) {
        order[i] = static_cast<std::uint8_t>(i);
    }
    if (n > 1) {
        for (std::uint32_t swap = 0; swap < kShuffleSwaps; ++swap) {
            const std::uint32_t a = random_.NextRandom() % static_cast<std::uint32_t>(n);
            const std::uint32_t b = random_.NextRandom() % static_cast<std::uint32_t>(n);
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
    state_.ElementColumn[first] = kLeftColumn;
    state_.ElementSlot[first] = static_cast<std::uint8_t>(n - 1);
    state_.ElementState[first] = kStatePlaced;
    state_.MoveStartTick[first] = now;
    for (std::int32_t k = 1; k < n; ++k) {
        const std::uint8_t e = order[k];
        state_.ElementColumn[e] = kRightColumn;
        state_.ElementSlot[e] = static_cast<std::uint8_t>(2 * k - 1);
        state_.ElementState[e] = k == selectedK ? kStateSelected : kStateNormal;
        state_.MoveStartTick[e] = now;
    }
}

void CKelvandorView::ClearBoard() {
    if (state_.PhaseCountdown > 1) {
        return;
    }
    if (RoundInPlay()) {
        // The round is cleared away before it had an outcome.
        NoteRoundEnd(RoundEnding::Aborted, state_.ActivePlayer);
    }
    MarkDirty(kAllDirty);
    state_.PhaseCountdown = 0;
    state_.SelectCountdown = 0;
    state_.Puzzle.ElementCount = 0;
    state_.Puzzle.QuestionText.clear();
    renderer_.MarkQuestionDirty();
    state_.CountdownDigit = 0;
    state_.Started = 0;
    ResetPanelsForNextRound();
}

}  // namespace kelvandor
