#pragma once
// CKelvandorView: the game view. It owns the game state (GameState: players, stars, the
// board, the round's counters, the move queue, the options mirrored from the settings) and
// the renderer that draws it, and runs on the user-interface thread. It reaches the outside
// world only through its IViewHost: the host delivers window events (create, size, timer,
// commands, keys, remote buttons) by calling the handlers below, always on the same thread.
// Each tick advances the game first and draws afterwards; drawing changes nothing the rules
// read.

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <utility>

#include "game/CommandIds.h"
#include "game/ElementMotion.h"
#include "game/GameRenderer.h"
#include "game/GameState.h"
#include "game/ViewHost.h"
#include "puzzles/GameRandom.h"
#include "puzzles/PictureBatch.h"
#include "puzzles/PuzzleContent.h"
#include "settings/SettingsStore.h"

namespace kelvandor {

inline constexpr std::uint32_t kGameTimerId = 14766;
inline constexpr std::uint32_t kTickMilliseconds = 50;

// Shown in the question band when no puzzle is left and formulas are off.
inline constexpr const char* kNoPuzzleLeftMessage = "Es sind keine R\xE4tsel mehr vorhanden ...";

// One answer of a board laid out with CKelvandorView::ArrangeBoard: its place and state, the
// place its animation starts from (its own place for an answer at rest) and its texts
// (Windows-1252).
struct ArrangedElement {
    // An answer at rest at (column, slot).
    ArrangedElement(std::uint8_t column, std::uint8_t slot, std::uint8_t state)
        : column(column), slot(slot), state(state), fromColumn(column), fromSlot(slot) {}

    std::uint8_t column;
    std::uint8_t slot;
    std::uint8_t state;
    std::uint8_t fromColumn;
    std::uint8_t fromSlot;
    std::string answer;
    std::string solution;
};

// What a show carries from one run of the program to the next: the stars, the last puzzle
// number tried, the active and the starting player and the puzzle root.
struct ShowStanding {
    std::array<std::uint8_t, 2> Stars{};
    std::int32_t GameNumber = 0;
    std::uint32_t ActivePlayer = kNobody;
    std::uint32_t StartingPlayer = 0;
    std::string PuzzlePath;

    friend bool operator==(const ShowStanding&, const ShowStanding&) = default;
};

class CKelvandorView {
public:
    // Gives every field its default, reads the settings from `settings` (kept for saving them
    // on destruction; it must outlive the view) and seeds the random generator from the host's
    // clocks. `loadPicture` loads answer pictures; it may load nothing. A fitting loader may
    // hand back pictures reduced to what the screen can show; a plain one loads them whole.
    CKelvandorView(IViewHost& host, ISettingsStore& settings, FittingPictureLoader loadPicture);
    CKelvandorView(IViewHost& host, ISettingsStore& settings, PictureLoader loadPicture);
    // Writes the settings back and stops the remote reader; pictures still loading are waited
    // for.
    ~CKelvandorView();
    CKelvandorView(const CKelvandorView&) = delete;
    CKelvandorView& operator=(const CKelvandorView&) = delete;

    // --- Window lifecycle (round flow) ---
    // Applies the star geometry, starts the remote reader and the game timer, and asks for a
    // puzzle root when there is none. Returns 0.
    int OnCreate();
    void OnSize(std::int32_t cx, std::int32_t cy);
    void OnDestroy();
    // One game tick for kGameTimerId; other ids are ignored. With a host that loads pictures
    // in the background, a tick with no answer moving also starts loading the pictures of the
    // puzzle that F5 will choose next, once for each puzzle root and game number, so that
    // F5 finds them ready.
    void OnTimer(std::uint32_t id);
    // The main frame's zoom mode (0 not zoomed, 1 zoomed from a normal window, 2 from a
    // maximised one) after each change.
    void SetZoomMode(std::uint32_t mode);
    // A path given on the command line replaces the stored puzzle root for this run.
    void SetPuzzlePathFromCommandLine(const std::string& path);

    // --- Round ---
    // Chooses the next puzzle and deals it. Its pictures load on worker threads; the deal
    // waits for them. With a host that loads pictures in the background the call returns at
    // once and OnPicturesLoaded deals; otherwise the call waits for the pictures and deals.
    // Does nothing while the pictures of the previous call still load. Pictures loaded ahead
    // for this puzzle (see OnTimer) are used when their files are unchanged.
    void StartNextPuzzle();
    // The pictures of the puzzle being started have loaded (the host's PostPicturesLoaded):
    // they take their places and the board is dealt. Does nothing when no load is under way.
    void OnPicturesLoaded();
    // Reads puzzle `number` below PuzzlePath, pictures included, as the board's puzzle.
    // Returns false when its Game.txt is missing or empty, or when it has fewer than two
    // answers (nothing to order). On success the view holds MoveQueueLock until
    // StartNextPuzzle has dealt a board; loading again before that does not wait for it.
    bool LoadPuzzle(std::int32_t number);
    // Whether a started puzzle waits for its pictures.
    bool PicturesLoading() const { return pictureBatch_ != nullptr; }
    // Whether the pictures of the next puzzle are being or have been loaded ahead of F5.
    bool PicturesLoadedAhead() const { return ahead_ != nullptr; }
    void ClearBoard();

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

    // --- The screen ---
    // Step 6 of the tick on its own: the motion step moves the board's answers (MovingCount
    // included), then the renderer draws the frame. The tick runs it between the turn clock
    // and the queued move.
    void AdvanceAndDraw(std::uint32_t now);
    // The next frame draws the whole play area again.
    void ForceFullRedraw() { renderer_.MarkDirty(kFullRedrawBit); }
    // Renders the state tiles and element images from scratch, as a change of the tile size
    // does (the cost of a layout change, for measuring it).
    void RerenderTiles() { renderer_.RenderAllTiles(); }

    // --- Named operations for tools and tests ---
    // Seeds the game's random generator (the shuffle of the deal).
    void SeedRandom(std::uint32_t seed) { random_.Seed(seed); }
    // Lays a board out directly, as a deal would, without the shuffle: the answers of
    // `elements` (at most kMaxElements) with their places, states and texts (no pictures),
    // each one's move starting now; a round runs with `activePlayer` to play, nobody latched,
    // the turn clock starting now. The layout follows the new board, and the tiles are
    // rendered again when the answers or the layout changed.
    void ArrangeBoard(std::span<const ArrangedElement> elements, std::uint32_t activePlayer);
    // Ends the round as a correct last placement does: the solution countdown starts, and the
    // answers then move into their correct order and the solution texts appear. Does nothing
    // unless a round is being played.
    void RevealSolution();

    // --- The show ---
    // Whether a round is being played: started and without an outcome yet.
    bool RoundInPlay() const { return state_.Started != 0 && state_.PhaseCountdown == 0; }
    // The record of the current round as if it ended now with `ending`, `player` judged.
    RoundRecord RecordRound(RoundEnding ending, std::uint32_t player, std::uint32_t now) const;
    // The standing of the show as it is now.
    ShowStanding Standing() const;
    // Takes a standing over with an empty board, ready for the next puzzle: the stars as
    // they were (even above the current star limit), the number the next puzzle counts on
    // from, the players, and the root unless it is empty. Refused (returns false) while a
    // round runs or the solution is being laid out.
    bool RestoreStanding(const ShowStanding& standing);

    // --- Reading ---
    std::int32_t ElementCount() const { return state_.ElementCount(); }
    // The game state (the fields the game is described with). Valid for the view's lifetime.
    const GameState& State() const { return state_; }
    // The screen's layout and dirty state, and its pictures.
    const ScreenState& Screen() const { return renderer_.Screen(); }
    const ScreenImages& Images() const { return renderer_.Images(); }

protected:
    // For test fixtures that build states no operation reaches (a board caught mid-move, a
    // countdown at a given value): the state itself and the renderer.
    GameState& MutableState() { return state_; }
    CGameRenderer& MutableRenderer() { return renderer_; }

private:
    struct ColumnExtent {
        std::int32_t count = 0, min = 100, max = -1;
    };

    // Reads the text of puzzle `number` below PuzzlePath into `into`, with the files of its
    // pictures. Returns false when its Game.txt is missing or empty, or when it has fewer than
    // two answers (nothing to order). On success the view holds MoveQueueLock until the board
    // is dealt; loading again before that does not wait for it.
    bool ReadPuzzleText(std::int32_t number, PuzzleContent& into, PicturePaths& pictures);
    // The box the largest answer picture of a puzzle of `elementCount` answers can be shown in
    // on this screen; 0 x 0 when there is no screen yet.
    ImageSize LargestPicture(std::int32_t elementCount) const;
    // A batch loading `paths` for the puzzle being started or the next one; in a background
    // host it posts PicturesLoaded when done.
    std::unique_ptr<CPictureBatch> MakePictureBatch(const PicturePaths& paths, ImageSize fit,
                                                    unsigned threads, LoadedPictures ready = {});
    // Starts loading the pictures of the puzzle F5 would choose now (see OnTimer).
    void LoadNextPicturesAhead();
    // The pictures loaded ahead are not wanted: their load stops without being waited for.
    void DropPicturesAhead();
    // The next puzzle (in nextPuzzle_) becomes the board: the deal and the start of the turn.
    // `formula`: the puzzle was generated, not read from a folder (the round log says so).
    void DealNextPuzzle(bool formula);
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
    void NoteRoundEnd(RoundEnding ending, std::uint32_t player);
    void ApplyStarSize(std::uint32_t size);
    void MarkDirty(std::uint32_t bits) { renderer_.MarkDirty(bits); }
    void Play(const char* sound) { host_.PlaySound(sound); }

    IViewHost& host_;
    ISettingsStore& settings_;
    FittingPictureLoader loadPicture_;
    GameState state_;
    // The puzzle being started, until it is dealt, and the load of its pictures.
    PuzzleContent nextPuzzle_;
    std::unique_ptr<CPictureBatch> pictureBatch_;
    // pictureBatch_ was loaded ahead, before F5 chose its puzzle: its files may have changed.
    bool pictureBatchAhead_ = false;
    // The pictures of the puzzle F5 would choose next, for the root and game number of
    // aheadFor_; a dropped load that still finishes its picture under way.
    std::unique_ptr<CPictureBatch> ahead_;
    std::optional<std::pair<std::string, std::int32_t>> aheadFor_;
    std::unique_ptr<CPictureBatch> dropped_;
    CGameRenderer renderer_{host_, state_};
    GameRandom random_;
    bool tickRunning_ = false;
    bool loadHoldsMoveQueueLock_ = false;
    bool judgingTimeOut_ = false;
};

}  // namespace kelvandor
