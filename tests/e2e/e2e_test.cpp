// SPDX-FileCopyrightText: 2026 The Falbok developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The real program on a real X server (Xvfb), driven by real key presses and
// checked by reading its window back pixel by pixel. Every wait polls the
// screen up to a deadline; nothing relies on a fixed sleep being long enough.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <QImage>

#include "piece_tables.h"
#include "process.h"
#include "screen.h"
#include "x_session.h"

namespace {

using falbok::e2e::Command;
using falbok::e2e::Decoded;
using falbok::e2e::DecodeTiles;
using falbok::e2e::DescribeStatus;
using falbok::e2e::kBoardCells;
using falbok::e2e::Snapshot;
using falbok::e2e::TempDir;
using falbok::e2e::Tiles;
using falbok::e2e::XSession;
using GameProcess = falbok::e2e::Process;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr const char* kTitle = "Falbok";
constexpr auto kWindowLimit = 10s;
constexpr auto kPictureLimit = 3s;  // several beats of 350 ms

// Where each kind enters the well.
// Index 0 is unused: kinds are 1 I, 2 J, 3 L, 4 O, 5 S, 6 T, 7 Z.
const std::array<std::vector<int>, 8> kSpawnCells = {{
    {},
    {4, 5, 6, 7},
    {4, 14, 15, 16},
    {6, 14, 15, 16},
    {5, 6, 15, 16},
    {5, 6, 14, 15},
    {5, 14, 15, 16},
    {4, 5, 15, 16},
}};

std::string List(const std::vector<int>& cells)
{
    std::ostringstream out;
    out << '{';
    for (std::size_t i = 0; i < cells.size(); ++i) {
        out << (i > 0 ? ", " : "") << cells[i];
    }
    out << '}';
    return out.str();
}

// Four cells of one colour on the board.
struct Piece {
    int colour = 0;
    std::vector<int> cells;  // ascending
};

// The piece the preview announces.
struct Announced {
    int kind = 0;
    int colour = 0;

    friend bool operator==(const Announced&, const Announced&) = default;
};

// The coloured board cells other than those in `ignored`, if they are
// exactly four of one colour.
std::optional<Piece> LonePiece(const Tiles& tiles, std::string& why, const std::vector<int>& ignored = {})
{
    Piece piece;
    for (int k = 1; k <= kBoardCells; ++k) {
        if (tiles.Cell(k) != 0 && std::find(ignored.begin(), ignored.end(), k) == ignored.end()) {
            piece.cells.push_back(k);
        }
    }
    if (piece.cells.size() != 4) {
        why = "expected four piece cells in the well, found " + std::to_string(piece.cells.size()) + " " +
              List(piece.cells);
        return std::nullopt;
    }
    piece.colour = tiles.Cell(piece.cells[0]);
    for (int k : piece.cells) {
        if (tiles.Cell(k) != piece.colour) {
            why = "the four cells " + List(piece.cells) + " are not all of one colour";
            return std::nullopt;
        }
    }
    return piece;
}

// `cells` moved down by `rows` and right by `columns`; empty when a cell
// would leave the well.
std::vector<int> Moved(const std::vector<int>& cells, int rows, int columns)
{
    using falbok::e2e::CellAt;
    using falbok::e2e::ColumnOf;
    using falbok::e2e::RowOf;
    std::vector<int> moved;
    for (int k : cells) {
        const int row = RowOf(k) + rows;
        const int column = ColumnOf(k) + columns;
        if (row < 1 || row > 20 || column < 1 || column > 10) {
            return {};
        }
        moved.push_back(CellAt(row, column));
    }
    std::sort(moved.begin(), moved.end());
    return moved;
}

int LowestRow(const std::vector<int>& cells)
{
    int lowest = 0;
    for (int k : cells) {
        lowest = std::max(lowest, falbok::e2e::RowOf(k));
    }
    return lowest;
}

std::optional<Announced> PreviewPiece(const Tiles& tiles, std::string& why)
{
    std::vector<int> painted;
    for (int tile = falbok::e2e::kFirstPreviewTile; tile <= falbok::e2e::kLastTile; ++tile) {
        if (tiles.Slot(tile) != 0) {
            painted.push_back(tile);
        }
    }
    for (int kind = 1; kind <= 7; ++kind) {
        if (!std::ranges::equal(painted, falbok::testing::kPreviewTiles[static_cast<std::size_t>(kind)])) {
            continue;
        }
        const int colour = tiles.Slot(painted[0]);
        for (int tile : painted) {
            if (tiles.Slot(tile) != colour) {
                why = "the preview tiles " + List(painted) + " are not all of one colour";
                return std::nullopt;
            }
        }
        return Announced{kind, colour};
    }
    why = "the preview tiles " + List(painted) + " show no piece";
    return std::nullopt;
}

// A piece that has just entered the well, apart from the cells in
// `settled`: on the spawn cells of its kind, with its successor announced.
struct Entry {
    Announced piece;
    std::vector<int> cells;
    Announced next;
};

std::optional<Entry> ReadEntry(const Tiles& tiles, std::string& why, const std::vector<int>& settled = {})
{
    const std::optional<Piece> piece = LonePiece(tiles, why, settled);
    if (!piece) {
        return std::nullopt;
    }
    int kind = 0;
    for (int k = 1; k <= 7; ++k) {
        if (piece->cells == kSpawnCells[static_cast<std::size_t>(k)]) {
            kind = k;
        }
    }
    if (kind == 0) {
        why = "the piece cells " + List(piece->cells) + " are not where any kind enters";
        return std::nullopt;
    }
    const std::optional<Announced> next = PreviewPiece(tiles, why);
    if (!next) {
        return std::nullopt;
    }
    return Entry{{kind, piece->colour}, piece->cells, *next};
}

enum class Verdict { Wait, Accept, Reject };
// Looks at one decoded picture; on Reject, says why in `why`.
using Judge = std::function<Verdict(const Tiles&, std::string& why)>;

struct Screen {
    Snapshot shot;
    int clientTop = 0;
    int clientLeft = 0;  // beyond 0 inside a compositor's output
    Tiles tiles;
};

class EndToEnd : public ::testing::Test {
protected:
    // One connection for the whole run, kept until the program ends: when
    // its last client leaves, the X server resets, and whoever connects
    // during the reset finds no display.
    static void SetUpTestSuite()
    {
        if (!session) {
            session = XSession::Open();
        }
    }

    void SetUp() override
    {
        x = session.get();
        ASSERT_NE(x, nullptr) << "cannot open the X display; run the tests under xvfb-run";
        ASSERT_TRUE(x->HasXTest()) << "the X server has no XTest extension";
        ASSERT_FALSE(runtimeDir.path().empty()) << "cannot make a private runtime directory";
        ASSERT_TRUE(x->WindowsTitled(kTitle).empty()) << "a window titled " << kTitle << " is already open";
    }

    void TearDown() override
    {
        if (x == nullptr) {
            return;
        }
        for (const std::unique_ptr<GameProcess>& game : games_) {
            game->Kill();
        }
        // The next test must start without a window of this one.
        EXPECT_TRUE(WaitForNoWindow()) << "the game's window stays after its process was killed";
    }

    GameProcess& Launch() { return Launch(falbok::e2e::GameCommand(FALBOK_BINARY, runtimeDir.path())); }

    GameProcess& Launch(Command command)
    {
        if (command.stderrPath.empty()) {
            command.stderrPath = "/dev/stderr";  // the game's messages among the test's own
        }
        games_.push_back(std::make_unique<GameProcess>(command));
        return *games_.back();
    }

    bool WaitForNoWindow()
    {
        return falbok::e2e::Eventually([&] { return x->WindowsTitled(kTitle).empty(); }, 5s);
    }

    // The mapped top-level window of `game`, or 0 after a failure.
    Window WaitForWindow(GameProcess& game)
    {
        if (!game.Started()) {
            ADD_FAILURE() << "cannot start " << FALBOK_BINARY;
            return 0;
        }
        const Clock::time_point deadline = Clock::now() + kWindowLimit;
        std::string seen = "no window titled Falbok";
        while (Clock::now() < deadline) {
            for (Window window : x->WindowsTitled(kTitle)) {
                if (x->Pid(window) != game.pid()) {
                    continue;
                }
                if (x->Viewable(window)) {
                    return window;
                }
                seen = "a window titled Falbok that is not mapped";
            }
            if (const std::optional<int> status = game.WaitForExit(0s)) {
                ADD_FAILURE() << "the game " << DescribeStatus(*status) << " before showing its window";
                return 0;
            }
            std::this_thread::sleep_for(5ms);
        }
        ADD_FAILURE() << "after " << std::chrono::duration_cast<std::chrono::seconds>(kWindowLimit).count()
                      << " s there is " << seen << " with _NET_WM_PID " << game.pid();
        return 0;
    }

    // A picture that stayed the same over two grabs, so that no flush of the
    // game was half done when it was taken.
    std::optional<Snapshot> SteadyGrab(Window window)
    {
        std::optional<Snapshot> last = x->Grab(window);
        for (int attempt = 0; last && attempt < 5; ++attempt) {
            std::this_thread::sleep_for(2ms);
            std::optional<Snapshot> again = x->Grab(window);
            if (again && *again == *last) {
                return again;
            }
            last = std::move(again);
        }
        return last;
    }

    std::string Save(const Snapshot& shot)
    {
        const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
        const std::filesystem::path path = std::filesystem::absolute(
            std::string(test->test_suite_name()) + "." + test->name() + "-" + std::to_string(++saved_) + ".ppm");
        return falbok::e2e::WritePpm(shot, path) ? "screenshot saved as " + path.string() : "no screenshot saved";
    }

    // Polls the window until `judge` accepts a picture (returned), rejects
    // one or `limit` passes (both a failure, described with `what`).
    std::optional<Screen> WaitFor(Window window, Clock::duration limit, const std::string& what, const Judge& judge)
    {
        const Clock::time_point deadline = Clock::now() + limit;
        std::string problem = "the window could not be read";
        std::optional<Snapshot> lastShot;
        while (true) {
            if (std::optional<Snapshot> shot = SteadyGrab(window)) {
                const Decoded decoded = DecodeTiles(*shot);
                if (decoded.tiles) {
                    std::string why;
                    const Verdict verdict = judge(*decoded.tiles, why);
                    if (verdict == Verdict::Accept) {
                        return Screen{std::move(*shot), decoded.clientTop, decoded.clientLeft, *decoded.tiles};
                    }
                    if (verdict == Verdict::Reject) {
                        ADD_FAILURE() << "waiting for " << what << ": " << why << "\n"
                                      << falbok::e2e::Text(*decoded.tiles) << Save(*shot);
                        return std::nullopt;
                    }
                    problem = "the last picture was\n" + falbok::e2e::Text(*decoded.tiles);
                } else {
                    problem = decoded.error;
                }
                lastShot = std::move(shot);
            }
            if (Clock::now() >= deadline) {
                ADD_FAILURE() << "gave up waiting for " << what << ": " << problem
                              << (lastShot ? Save(*lastShot) : std::string("no picture taken"));
                return std::nullopt;
            }
            std::this_thread::sleep_for(5ms);
        }
    }

    // Waits until the picture has not changed for `still`; `judge` vets
    // every picture on the way and may reject it.
    std::optional<Screen> WaitForStillness(Window window, Clock::duration still, const std::string& what,
                                           const Judge& judge)
    {
        std::optional<Tiles> current;
        Clock::time_point since;
        return WaitFor(window, still + 4s, what, [&](const Tiles& tiles, std::string& why) {
            if (judge(tiles, why) == Verdict::Reject) {
                return Verdict::Reject;
            }
            const Clock::time_point now = Clock::now();
            if (!current || *current != tiles) {
                current = tiles;
                since = now;
                return Verdict::Wait;
            }
            return now - since >= still ? Verdict::Accept : Verdict::Wait;
        });
    }

    // Watches the window for `span`; every picture must equal `tiles`.
    bool StaysTheSame(Window window, const Tiles& tiles, Clock::duration span, const std::string& what)
    {
        const Clock::time_point until = Clock::now() + span;
        const std::optional<Screen> last = WaitFor(window, span + 2s, what, [&](const Tiles& now, std::string& why) {
            if (now != tiles) {
                why = "the picture changed; before it was\n" + falbok::e2e::Text(tiles);
                return Verdict::Reject;
            }
            return Clock::now() >= until ? Verdict::Accept : Verdict::Wait;
        });
        return last.has_value();
    }

    void Press(Window window, KeySym key)
    {
        EXPECT_TRUE(x->PressKey(window, key)) << "no key code for " << XKeysymToString(key);
    }

    // The first piece of the game, on its spawn cells, with the next one in
    // the preview. Until then the well and the preview stay empty.
    std::optional<std::pair<Screen, Entry>> WaitForFirstPiece(Window window)
    {
        std::optional<Entry> entry;
        std::optional<Screen> screen =
            WaitFor(window, kPictureLimit, "the first piece", [&](const Tiles& tiles, std::string& why) {
                if (tiles == Tiles{}) {
                    return Verdict::Wait;
                }
                entry = ReadEntry(tiles, why);
                return entry ? Verdict::Accept : Verdict::Reject;
            });
        if (!screen) {
            return std::nullopt;
        }
        return std::make_pair(std::move(*screen), *entry);
    }

    // After a sideways key: the lone piece of `before`, moved `columns`
    // columns, and down by as many rows as beats came meanwhile.
    std::optional<Screen> WaitForShift(Window window, const Tiles& before, int columns, const std::string& what)
    {
        std::string why;
        const std::optional<Piece> piece = LonePiece(before, why);
        if (!piece) {
            ADD_FAILURE() << what << ": " << why;
            return std::nullopt;
        }
        return WaitFor(window, kPictureLimit, what, [&](const Tiles& tiles, std::string& reason) {
            const std::optional<Piece> now = LonePiece(tiles, reason);
            if (!now) {
                return Verdict::Reject;
            }
            if (now->colour != piece->colour || tiles.preview != before.preview) {
                reason = "the piece changed colour or the preview changed";
                return Verdict::Reject;
            }
            for (int rows = 0; rows <= 3; ++rows) {
                if (now->cells == Moved(piece->cells, rows, 0)) {
                    return Verdict::Wait;
                }
                if (now->cells == Moved(piece->cells, rows, columns)) {
                    return Verdict::Accept;
                }
            }
            reason = "the piece " + List(piece->cells) + " turned into " + List(now->cells);
            return Verdict::Reject;
        });
    }

    // The lone piece of `before` one row lower, everything else alike.
    std::optional<Screen> WaitForOneRowDown(Window window, const Tiles& before, const std::string& what)
    {
        std::string why;
        const std::optional<Piece> piece = LonePiece(before, why);
        if (!piece) {
            ADD_FAILURE() << what << ": " << why;
            return std::nullopt;
        }
        return WaitFor(window, kPictureLimit, what, [&](const Tiles& tiles, std::string& reason) {
            if (tiles == before) {
                return Verdict::Wait;
            }
            const std::optional<Piece> now = LonePiece(tiles, reason);
            if (now && now->colour == piece->colour && now->cells == Moved(piece->cells, 1, 0) &&
                tiles.preview == before.preview) {
                return Verdict::Accept;
            }
            reason = "expected the piece " + List(piece->cells) + " one row lower, nothing else changed";
            return Verdict::Reject;
        });
    }

    // Pauses the game right after its first piece came in; returns the
    // still picture.
    std::optional<Screen> PauseWithFirstPiece(Window window)
    {
        const auto first = WaitForFirstPiece(window);
        if (!first) {
            return std::nullopt;
        }
        const Entry entry = first->second;
        const Tiles entered = first->first.tiles;
        Press(window, XK_p);
        return WaitForStillness(
            window, 1500ms, "the board to stand still after P", [&](const Tiles& tiles, std::string& why) {
                const std::optional<Piece> piece = LonePiece(tiles, why);
                if (!piece) {
                    return Verdict::Reject;
                }
                bool fell = false;
                for (int rows = 0; rows <= 4; ++rows) {
                    fell = fell || piece->cells == Moved(entry.cells, rows, 0);
                }
                if (!fell || piece->colour != entry.piece.colour || tiles.preview != entered.preview) {
                    why = "the first piece " + List(entry.cells) + " should only fall until the pause";
                    return Verdict::Reject;
                }
                return Verdict::Wait;
            });
    }

    static inline std::unique_ptr<XSession> session;
    XSession* x = nullptr;
    TempDir runtimeDir;  // mode 0700, as the single-copy lock wants it

private:
    std::vector<std::unique_ptr<GameProcess>> games_;
    int saved_ = 0;
};

TEST_F(EndToEnd, WindowOpensEmptyAndTheFirstBeatBringsAPieceAndAnnouncesTheNext)
{
    GameProcess& game = Launch();
    const Window window = WaitForWindow(game);
    ASSERT_NE(window, 0u);

    const std::optional<Screen> start = WaitFor(window, kWindowLimit, "the first picture of the game",
                                                [](const Tiles&, std::string&) { return Verdict::Accept; });
    ASSERT_TRUE(start);
    EXPECT_EQ(start->shot.width, 265) << "client area width";
    EXPECT_EQ(start->shot.height - start->clientTop, 370) << "client area height";
    EXPECT_GT(start->clientTop, 0) << "the menu bar should stand above the client area";
    // Grey margin right of the preview and below the board.
    if (start->shot.width >= 265 && start->shot.height >= start->clientTop + 370) {
        for (int y = start->clientTop + 5; y < start->clientTop + 41; ++y) {
            EXPECT_EQ(start->shot.At(263, y), falbok::e2e::kWindowGrey) << "right margin at window row " << y;
        }
        for (int column = 0; column < 265; ++column) {
            EXPECT_EQ(start->shot.At(column, start->clientTop + 367), falbok::e2e::kWindowGrey)
                << "bottom margin at window column " << column;
        }
    }
    EXPECT_EQ(start->tiles, Tiles{}) << "before the first beat the well and the preview are empty:\n"
                                     << falbok::e2e::Text(start->tiles);

    const auto first = WaitForFirstPiece(window);
    ASSERT_TRUE(first);
    const Entry& entry = first->second;
    for (int k : entry.cells) {
        EXPECT_LE(falbok::e2e::RowOf(k), 2) << "cell " << k;
    }
    EXPECT_GE(entry.next.colour, 1);
    EXPECT_LE(entry.next.colour, 7);

    // The following beat moves the piece down one row and leaves the
    // preview alone.
    EXPECT_TRUE(WaitForOneRowDown(window, first->first.tiles, "the second beat"));
}

TEST_F(EndToEnd, LeftMovesThePieceAndSpaceDropsItThenTheAnnouncedPieceEnters)
{
    GameProcess& game = Launch();
    const Window window = WaitForWindow(game);
    ASSERT_NE(window, 0u);
    const auto first = WaitForFirstPiece(window);
    ASSERT_TRUE(first);
    const Announced announced = first->second.next;

    Press(window, XK_Left);
    const std::optional<Screen> moved = WaitForShift(window, first->first.tiles, -1, "the piece one column left");
    ASSERT_TRUE(moved);
    std::string why;
    const std::optional<Piece> piece = LonePiece(moved->tiles, why);
    ASSERT_TRUE(piece) << why;

    // The drop is one jump to the floor: before it is seen, the piece may
    // only have fallen with the beats, in the same columns.
    Press(window, XK_space);
    const std::optional<Screen> dropped =
        WaitFor(window, kPictureLimit, "the piece on the floor", [&](const Tiles& tiles, std::string& reason) {
            const std::optional<Piece> now = LonePiece(tiles, reason);
            if (!now) {
                return Verdict::Reject;
            }
            if (tiles.preview != moved->tiles.preview || now->colour != piece->colour) {
                reason = "the piece changed colour or the preview changed";
                return Verdict::Reject;
            }
            for (int rows = 0; rows <= 20; ++rows) {
                if (now->cells == Moved(piece->cells, rows, 0)) {
                    return LowestRow(now->cells) == 20 ? Verdict::Accept : Verdict::Wait;
                }
            }
            reason = "the piece " + List(piece->cells) + " turned into " + List(now->cells);
            return Verdict::Reject;
        });
    ASSERT_TRUE(dropped);
    const std::vector<int> floor = LonePiece(dropped->tiles, why)->cells;
    EXPECT_EQ(LowestRow(floor), 20);

    // One beat later the piece the preview announced enters, in its colour,
    // and the dropped piece stays where it lies.
    const std::optional<Screen> next =
        WaitFor(window, kPictureLimit, "the announced piece", [&](const Tiles& tiles, std::string& reason) {
            for (int k : floor) {
                if (tiles.Cell(k) != piece->colour) {
                    reason = "the dropped piece " + List(floor) + " did not stay";
                    return Verdict::Reject;
                }
            }
            if (tiles == dropped->tiles) {
                return Verdict::Wait;
            }
            const std::optional<Entry> entry = ReadEntry(tiles, reason, floor);
            if (!entry) {
                return Verdict::Reject;
            }
            if (entry->piece != announced) {
                reason = "the preview announced kind " + std::to_string(announced.kind) + " in colour " +
                         std::to_string(announced.colour) + ", but kind " + std::to_string(entry->piece.kind) +
                         " in colour " + std::to_string(entry->piece.colour) + " entered";
                return Verdict::Reject;
            }
            return Verdict::Accept;
        });
    EXPECT_TRUE(next);
}

TEST_F(EndToEnd, PFreezesTheBoardAndPAgainLetsThePieceFallOn)
{
    GameProcess& game = Launch();
    const Window window = WaitForWindow(game);
    ASSERT_NE(window, 0u);
    const std::optional<Screen> paused = PauseWithFirstPiece(window);
    ASSERT_TRUE(paused);

    // While paused, moves and drops do nothing.
    Press(window, XK_Left);
    Press(window, XK_space);
    Press(window, XK_Down);
    EXPECT_TRUE(StaysTheSame(window, paused->tiles, 1s, "a paused board"));

    Press(window, XK_p);
    EXPECT_TRUE(WaitForOneRowDown(window, paused->tiles, "the piece to fall on after the second P"));
}

TEST_F(EndToEnd, SecondCopyEndsAtOnceAndAKilledCopyDoesNotBlockTheNext)
{
    GameProcess& first = Launch();
    const Window window = WaitForWindow(first);
    ASSERT_NE(window, 0u);
    // Paused, the first copy keeps a known picture however long the second
    // one takes.
    const std::optional<Screen> paused = PauseWithFirstPiece(window);
    ASSERT_TRUE(paused);

    GameProcess& second = Launch();
    ASSERT_TRUE(second.Started());
    std::vector<std::string> intruders;
    const Clock::time_point deadline = Clock::now() + 5s;
    while (!second.WaitForExit(0s) && Clock::now() < deadline) {
        for (Window other : x->WindowsTitled(kTitle)) {
            if (other != window) {
                intruders.push_back("window " + std::to_string(other) + " of process " +
                                    std::to_string(x->Pid(other).value_or(0)));
            }
        }
        std::this_thread::sleep_for(5ms);
    }
    EXPECT_TRUE(intruders.empty()) << "a second window titled Falbok appeared: " << intruders.front();
    const std::optional<int> status = second.WaitForExit(0s);
    ASSERT_TRUE(status) << "a second copy with the same runtime directory still runs after 5 s";
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << "the second copy " << DescribeStatus(*status);
    EXPECT_EQ(x->WindowsTitled(kTitle), std::vector<Window>{window});

    // The first copy is undisturbed: still paused, and it still plays.
    EXPECT_TRUE(StaysTheSame(window, paused->tiles, 500ms, "the first copy, still paused"));
    Press(window, XK_p);
    const std::optional<Screen> resumed = WaitForOneRowDown(window, paused->tiles, "the first copy to resume");
    ASSERT_TRUE(resumed);
    Press(window, XK_Left);
    EXPECT_TRUE(WaitForShift(window, resumed->tiles, -1, "the first copy's piece one column left"));

    // A copy that was killed leaves no lock behind.
    first.Kill();
    ASSERT_TRUE(WaitForNoWindow()) << "the killed copy's window stays";
    GameProcess& third = Launch();
    const Window restarted = WaitForWindow(third);
    ASSERT_NE(restarted, 0u);
    EXPECT_TRUE(WaitFor(restarted, kWindowLimit, "a picture from the restarted game",
                        [](const Tiles&, std::string&) { return Verdict::Accept; }));
}

// The keys of A, D, W, S and P steer the game on every layout: on a layout
// of Latin letters they are the keys that bear those letters (French has A
// and W elsewhere than US English), on any other they are the keys that bear
// them on a US keyboard.
TEST_F(EndToEnd, LetterKeysActOnEveryLayout)
{
    const std::vector<KeySym> letters{XK_a, XK_d, XK_w, XK_s, XK_p};
    std::vector<KeyCode> usKeys;
    for (KeySym letter : letters) {
        usKeys.push_back(x->KeyCodeOf(letter));
        ASSERT_NE(usKeys.back(), 0);
    }
    struct RestoreLayout {
        ~RestoreLayout() { (void)!std::system("setxkbmap us"); }
    } restore;

    for (const char* layout : {"ru", "ua", "gr", "il", "fr"}) {
        SCOPED_TRACE(std::string("layout ") + layout);
        ASSERT_EQ(std::system((std::string("setxkbmap ") + layout).c_str()), 0)
            << "setxkbmap (package x11-xkb-utils) could not set the layout";
        std::vector<KeyCode> keys = usKeys;
        if (std::string(layout) == "fr") {
            // A fresh connection reads the new layout's keys.
            const std::unique_ptr<XSession> french = XSession::Open();
            ASSERT_NE(french, nullptr);
            for (std::size_t i = 0; i < letters.size(); ++i) {
                keys[i] = french->KeyCodeOf(letters[i]);
            }
            EXPECT_NE(keys[0], usKeys[0]) << "the French layout should bear A elsewhere";
        }
        const KeyCode keyA = keys[0], keyD = keys[1], keyW = keys[2], keyS = keys[3], keyP = keys[4];

        GameProcess& game = Launch();
        const Window window = WaitForWindow(game);
        ASSERT_NE(window, 0u);
        // The slowest speed leaves the keys' moves apart from the beats'.
        for (int i = 0; i < 19; ++i) {
            Press(window, XK_Next);
        }
        const auto first = WaitForFirstPiece(window);
        ASSERT_TRUE(first);

        ASSERT_TRUE(x->PressKeyCode(window, keyA));
        const std::optional<Screen> left = WaitForShift(window, first->first.tiles, -1, "A: one column left");
        ASSERT_TRUE(left);
        ASSERT_TRUE(x->PressKeyCode(window, keyD));
        const std::optional<Screen> right = WaitForShift(window, left->tiles, 1, "D: one column right");
        ASSERT_TRUE(right);

        // Four presses of S bring the piece four rows down at once; in the
        // two seconds allowed, the beats alone bring it three rows at most.
        std::string why;
        const std::optional<Piece> before = LonePiece(right->tiles, why);
        ASSERT_TRUE(before) << why;
        for (int i = 0; i < 4; ++i) {
            ASSERT_TRUE(x->PressKeyCode(window, keyS));
        }
        const std::optional<Screen> lower =
            WaitFor(window, 2s, "S: four rows down", [&](const Tiles& tiles, std::string& reason) {
                const std::optional<Piece> now = LonePiece(tiles, reason);
                if (!now) {
                    return Verdict::Reject;
                }
                for (int rows = 4; rows <= 8; ++rows) {
                    if (now->cells == Moved(before->cells, rows, 0)) {
                        return Verdict::Accept;
                    }
                }
                return Verdict::Wait;
            });
        ASSERT_TRUE(lower);

        // Away from the top, where every piece has room to turn.
        const std::optional<Piece> piece = LonePiece(lower->tiles, why);
        ASSERT_TRUE(piece) << why;
        if (first->second.piece.kind != 4) {  // the square looks the same turned
            ASSERT_TRUE(x->PressKeyCode(window, keyW));
            EXPECT_TRUE(
                WaitFor(window, kPictureLimit, "W: the piece turned", [&](const Tiles& tiles, std::string& reason) {
                    const std::optional<Piece> now = LonePiece(tiles, reason);
                    if (!now || now->colour != piece->colour) {
                        reason = "the piece went or changed colour";
                        return Verdict::Reject;
                    }
                    for (int rows = 0; rows <= 3; ++rows) {
                        if (now->cells == Moved(piece->cells, rows, 0)) {
                            return Verdict::Wait;
                        }
                    }
                    return Verdict::Accept;
                }));
        }

        ASSERT_TRUE(x->PressKeyCode(window, keyP));
        EXPECT_TRUE(WaitForStillness(window, 1500ms, "P: the board to stand still",
                                     [](const Tiles&, std::string&) { return Verdict::Wait; }));
        game.Kill();
        ASSERT_TRUE(WaitForNoWindow());
    }
}

// On a Wayland session the game is a Wayland client. Weston runs here with its
// X11 backend, so XTest's keys and clicks reach the game through it, and the
// game shows, where Weston placed it, in the picture of Weston's output.
TEST_F(EndToEnd, UnderWestonTheGameIsAWaylandClientThatPlaysAndClosesByItsFrame)
{
    const char* display = std::getenv("DISPLAY");
    ASSERT_NE(display, nullptr);
    const std::string socket = "falbok-e2e";
    falbok::e2e::Compositor weston(WESTON_BINARY, display, runtimeDir.path(), socket);
    ASSERT_TRUE(weston.Listening()) << "weston did not start; its log:\n" << weston.Log();
    const Window output = x->WaitForCompositorOutput(kWindowLimit);
    ASSERT_NE(output, 0u) << "no output window of weston; its log:\n" << weston.Log();

    Command command = falbok::e2e::WaylandGameCommand(FALBOK_BINARY, runtimeDir.path(), socket);
    command.stderrPath = runtimeDir.path() + "/game.stderr";
    GameProcess& game = Launch(command);
    const std::optional<Screen> shown = WaitFor(output, kWindowLimit, "the game in weston's output",
                                                [](const Tiles&, std::string&) { return Verdict::Accept; });
    ASSERT_TRUE(shown);
    // Weston's keyboard follows the X focus, and a window opened while
    // Weston lacked it may stay without the keys until clicked: a click on
    // the client area's bottom-right margin, which the game ignores. (Given
    // before the game comes, the X focus can cost Weston its pointer.)
    x->Focus(output);
    x->Click(output, shown->clientLeft + falbok::e2e::kClientWidth - 3, shown->clientTop + 367);
    // Not an X client: no window of its own on the X server, and Qt's
    // Wayland plugin in its memory rather than the X11 one.
    EXPECT_EQ(x->ViewableWindowsOf(game.pid()), std::vector<Window>{});
    const std::string maps = falbok::e2e::ReadFile("/proc/" + std::to_string(game.pid()) + "/maps");
    EXPECT_NE(maps.find("libQt6WaylandClient"), std::string::npos) << "no Wayland client library mapped";
    EXPECT_EQ(maps.find("libqxcb"), std::string::npos) << "Qt's X11 plugin is mapped";

    ASSERT_TRUE(WaitFor(output, kPictureLimit, "a piece in the well", [](const Tiles& tiles, std::string&) {
        return tiles.board != Tiles{}.board ? Verdict::Accept : Verdict::Wait;
    }));
    Press(output, XK_p);
    const std::optional<Screen> paused = WaitForStillness(output, 1500ms, "the board to stand still after P",
                                                          [](const Tiles&, std::string&) { return Verdict::Wait; });
    ASSERT_TRUE(paused);
    Press(output, XK_p);
    const std::optional<Screen> resumed = WaitForOneRowDown(output, paused->tiles, "the piece to fall after P");
    ASSERT_TRUE(resumed);
    Press(output, XK_Left);
    const std::optional<Screen> moved = WaitForShift(output, resumed->tiles, -1, "the piece one column left");
    ASSERT_TRUE(moved);
    Press(output, XK_space);
    const std::optional<Screen> dropped =
        WaitFor(output, kPictureLimit, "the piece on the floor", [](const Tiles& tiles, std::string&) {
            for (int column = 1; column <= 10; ++column) {
                if (tiles.Cell(falbok::e2e::CellAt(20, column)) != 0) {
                    return Verdict::Accept;
                }
            }
            return Verdict::Wait;
        });
    ASSERT_TRUE(dropped);

    // Qt draws the frame itself on Weston: a title bar 30 pixels high, with
    // the close button 18 pixels wide, 8 pixels in from the frame's right.
    const Snapshot& shot = dropped->shot;
    const falbok::e2e::Rgb background = falbok::e2e::Compositor::kBackground;
    int top = dropped->clientTop;
    while (top > 0 && shot.At(dropped->clientLeft, top - 1) != background) {
        --top;
    }
    int right = dropped->clientLeft + falbok::e2e::kClientWidth;
    while (right < shot.width && shot.At(right, dropped->clientTop) != background) {
        ++right;
    }
    // A press in the same instant as the pointer's arrival on the frame can
    // go unseen by the frame, so the click comes again until the game ends.
    std::optional<int> status;
    for (int click = 0; click < 5 && !status; ++click) {
        x->Focus(output);  // the pointer away first, so that it truly moves
        x->Click(output, right - 8 - 18 / 2, top + 30 / 2);
        status = game.WaitForExit(2s);
    }
    ASSERT_TRUE(status) << "the game still runs after five clicks on its close button; " << Save(shot);
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << "the game " << DescribeStatus(*status);
    EXPECT_EQ(falbok::e2e::ReadFile(command.stderrPath), "") << "the game's stderr";
}

// The picture of a game in play shown in the README, taken from the real
// window. FALBOK_SCREENSHOT=<file> writes it there (scripts/screenshot.sh
// renews docs/screenshot.png so); otherwise it lands in the working folder.
TEST_F(EndToEnd, ScreenshotOfAGameInPlay)
{
    GameProcess& game = Launch();
    const Window window = WaitForWindow(game);
    ASSERT_NE(window, 0u);
    ASSERT_TRUE(WaitForFirstPiece(window));

    // Coloured cells below the two rows where pieces enter.
    const auto lowerCells = [](const Tiles& tiles) {
        int count = 0;
        for (int k = 21; k <= kBoardCells; ++k) {
            count += tiles.Cell(k) != 0 ? 1 : 0;
        }
        return count;
    };
    // Spread a few pieces over the floor: each goes to the left wall, then
    // some columns right, and drops; the next one enters at the next beat.
    int lower = 0;
    for (const int columns : {0, 4, 7, 2, 6, 0, 5}) {
        for (int i = 0; i < 5; ++i) {
            Press(window, XK_Left);
        }
        for (int i = 0; i < columns; ++i) {
            Press(window, XK_Right);
        }
        Press(window, XK_space);
        const std::optional<Screen> entered =
            WaitFor(window, kPictureLimit, "the next piece", [&](const Tiles& tiles, std::string&) {
                std::vector<int> below;
                for (int k = 21; k <= kBoardCells; ++k) {
                    below.push_back(k);
                }
                std::string ignored;
                return lowerCells(tiles) != lower && ReadEntry(tiles, ignored, below) ? Verdict::Accept : Verdict::Wait;
            });
        ASSERT_TRUE(entered);
        lower = lowerCells(entered->tiles);
    }

    // The last piece falls a little way; the picture is taken while paused.
    std::this_thread::sleep_for(1s);
    Press(window, XK_p);
    const std::optional<Screen> paused =
        WaitForStillness(window, 500ms, "the paused game", [](const Tiles&, std::string&) { return Verdict::Wait; });
    ASSERT_TRUE(paused);
    EXPECT_GE(lowerCells(paused->tiles), 12) << "pieces should lie in the well:\n" << falbok::e2e::Text(paused->tiles);
    std::string why;
    EXPECT_TRUE(PreviewPiece(paused->tiles, why)) << why;

    const Snapshot& shot = paused->shot;
    QImage image(shot.width, shot.height, QImage::Format_RGB32);
    for (int y = 0; y < shot.height; ++y) {
        for (int column = 0; column < shot.width; ++column) {
            const falbok::e2e::Rgb pixel = shot.At(column, y);
            image.setPixel(column, y, qRgb(pixel.r, pixel.g, pixel.b));
        }
    }
    const char* wanted = std::getenv("FALBOK_SCREENSHOT");
    const std::string path = wanted != nullptr ? wanted : "EndToEnd.ScreenshotOfAGameInPlay.png";
    EXPECT_TRUE(image.save(QString::fromStdString(path), "png")) << "cannot write " << path;

    // The game was only paused: P again and the piece falls on.
    Press(window, XK_p);
    EXPECT_TRUE(WaitFor(window, kPictureLimit, "the piece to fall on", [&](const Tiles& tiles, std::string&) {
        return tiles != paused->tiles ? Verdict::Accept : Verdict::Wait;
    }));
}

}  // namespace
