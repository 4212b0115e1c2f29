// SPDX-FileCopyrightText: 2026 The Falbok developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// A long seeded run of mixed events (beats, keys, mouse, menu commands, new
// games) with the game's standing rules checked after every single event.
//
// A failure names the seed and the event number; FALBOK_SEED=<seed> replays
// that run in the first test below.
#include <gtest/gtest.h>

#include <array>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <random>
#include <string>
#include <vector>

#include <unistd.h>

#include "engine/cells.h"
#include "engine/game.h"
#include "engine/menu_items.h"
#include "fake_toolkit.h"
#include "game_invariants.h"
#include "window/menu_tree.h"

namespace {

using falbok::Game;
using falbok::MenuEntry;
using falbok::MenuItem;
using falbok::testing::Column;
using falbok::testing::DropPlan;
using falbok::testing::FakeToolkit;
using falbok::testing::kOrientations;

constexpr long kEventsPerRun = 100'000;
constexpr std::uint64_t kDefaultSeed = 20240611;

// Every code of the key table: Esc, P, Pause, the three speed-up keys, the
// three slow-down keys, A, Left, W, Up, D, Right, S, Down, Space.
constexpr std::array<int, 18> kTableKeys{27, 80, 19, 187, 107, 33, 189, 109, 34, 65, 37, 87, 38, 68, 39, 83, 40, 32};
constexpr std::array<int, 4> kSidewaysKeys{65, 37, 68, 39};
constexpr std::array<int, 2> kRotateKeys{87, 38};
constexpr std::array<int, 2> kSoftDropKeys{83, 40};
constexpr int kSpace = 32;

// Tile indices no tile view has.
constexpr std::array<int, 7> kBadIndices{0, -1, -200, 209, 1000, 32767, -32768};

// ---- Where a run stands, for the last words of a run that aborts inside
// the game (a failed assertion, or a sanitizer set to abort).

std::uint64_t abortSeed = 0;
long abortEvent = -1;

void SayWhereTheRunStood(int)
{
    char text[160];
    const int n = std::snprintf(
        text, sizeof text, "\nrandom run aborted: seed %llu, event %ld (replay with FALBOK_SEED=%llu)\n",
        static_cast<unsigned long long>(abortSeed), abortEvent, static_cast<unsigned long long>(abortSeed));
    if (n > 0) {
        [[maybe_unused]] const ssize_t written = write(STDERR_FILENO, text, static_cast<std::size_t>(n));
    }
}

// ---- One event

enum class EventKind : std::uint8_t { Beat, Key, MouseMove, MouseDown, Menu, NewGame };

struct Event {
    EventKind kind = EventKind::Beat;
    int a = 0;  // key code or tile index
    int b = 0;  // shift state or button
    const MenuEntry* entry = nullptr;

    std::string Describe() const
    {
        switch (kind) {
        case EventKind::Beat:
            return "beat";
        case EventKind::Key:
            return "key " + std::to_string(a) + " shift " + std::to_string(b);
        case EventKind::MouseMove:
            return "mouse move over tile " + std::to_string(a);
        case EventKind::MouseDown:
            return "mouse button " + std::to_string(b) + " down on tile " + std::to_string(a);
        case EventKind::Menu:
            return "menu command " + std::string(entry->name);
        case EventKind::NewGame:
            return "new game";
        }
        return "?";
    }
};

struct Tally {
    long beats = 0;
    long pieces = 0;  // beats that brought in the next piece or found no room for it
    long rowsCleared = 0;
    long gamesEnded = 0;
    long newGames = 0;
    long mouseEvents = 0;
    long menuCommands = 0;
};

// ---- The run

class RandomRun {
public:
    explicit RandomRun(std::uint64_t seed) : seed_(seed), rng_(seed)
    {
        tk_.generator.seed(seed ^ 0x9e3779b97f4a7c15ULL);
        for (const MenuEntry& entry : falbok::MenuTree()) {
            if (entry.command != nullptr) {
                commands_.push_back(&entry);
            }
        }
    }

    // Plays the events; returns the first broken rule, or "" when none broke.
    std::string Play(long events)
    {
        abortSeed = seed_;
        abortEvent = 0;
        auto* previous = std::signal(SIGABRT, SayWhereTheRunStood);
        game_.Form_Load();
        std::string why = FirstViolation();
        if (!why.empty()) {
            why = "seed " + std::to_string(seed_) + ", after Form_Load: " + why;
        }
        for (long number = 1; why.empty() && number <= events; ++number) {
            abortEvent = number;
            why = Step(number);
        }
        std::signal(SIGABRT, previous);
        return why;
    }

    const Tally& Counts() const { return tally_; }
    std::size_t MenuCommandCount() const { return commands_.size(); }

private:
    int Roll(int n) { return static_cast<int>(rng_() % static_cast<std::uint64_t>(n)); }
    int AnyInt16() { return static_cast<std::int16_t>(rng_() & 0xFFFF); }
    int AnyShift()
    {
        const int roll = Roll(4);
        return roll < 2 ? 0 : roll == 2 ? 1 + Roll(7) : AnyInt16();
    }
    int AnyIndex()
    {
        if (Roll(4) != 0) {
            return 1 + Roll(falbok::kTiles);
        }
        const int pick = Roll(static_cast<int>(kBadIndices.size()) + 1);
        return pick < static_cast<int>(kBadIndices.size()) ? kBadIndices[static_cast<std::size_t>(pick)] : AnyInt16();
    }
    int AnyButton()
    {
        constexpr std::array<int, 3> kButtons{1, 2, 4};
        return Roll(10) < 7 ? kButtons[static_cast<std::size_t>(Roll(3))] : AnyInt16();
    }
    template <std::size_t N>
    Event KeyFrom(const std::array<int, N>& keys)
    {
        return Event{EventKind::Key, keys[static_cast<std::size_t>(Roll(static_cast<int>(N)))], AnyShift()};
    }

    // Beats and piece moves dominate so that pieces fall, land, fill rows
    // and games run to their end; a game over is followed by a new game soon.
    Event Pick()
    {
        if (game_.GameOver == 1 && Roll(20) == 0) {
            return Event{EventKind::NewGame};
        }
        const int roll = Roll(1000);
        if (roll < 280) {
            // A disabled timer brings no beat; the player presses a key instead.
            return tk_.timerEnabled ? Event{EventKind::Beat} : KeyFrom(kTableKeys);
        }
        if (roll < 600) {
            return Sideways();
        }
        if (roll < 680) {
            return game_.Turn != plan_.turn || Roll(4) == 0 ? KeyFrom(kRotateKeys) : Sideways();
        }
        if (roll < 720) {
            return OnPlan() || Roll(5) == 0 ? KeyFrom(kSoftDropKeys) : Steer();
        }
        if (roll < 750) {
            return OnPlan() || Roll(5) == 0 ? Event{EventKind::Key, kSpace, AnyShift()} : Steer();
        }
        if (roll < 790) {
            return KeyFrom(kTableKeys);
        }
        if (roll < 820) {
            return Event{EventKind::Key, AnyInt16(), AnyInt16()};
        }
        if (roll < 910) {
            // Over the column the piece is steered to, or anywhere.
            const int index = Roll(8) != 0 ? plan_.column + 10 * Roll(20) : AnyIndex();
            return Event{EventKind::MouseMove, index};
        }
        if (roll < 950) {
            const int index = AnyIndex();
            return Event{EventKind::MouseDown, index, AnyButton()};
        }
        return Event{EventKind::Menu, 0, 0,
                     commands_[static_cast<std::size_t>(Roll(static_cast<int>(commands_.size())))]};
    }

    // ---- A rough player, so that rows fill up and get cleared: for each new
    // piece it plans the orientation and pivot column where a straight drop
    // leaves the fewest holes and lies lowest, and most of the moves and
    // drops steer toward that plan.

    int PivotColumn() const { return falbok::IsBoardCell(game_.PivotCell) ? Column(game_.PivotCell) : plan_.column; }
    bool OnPlan() const { return game_.Turn == plan_.turn && PivotColumn() == plan_.column; }

    Event Steer() { return game_.Turn != plan_.turn ? KeyFrom(kRotateKeys) : Sideways(); }

    // Mostly toward the planned column; now and then either way.
    Event Sideways()
    {
        const int pivotColumn = PivotColumn();
        if (Roll(6) == 0 || pivotColumn == plan_.column) {
            return KeyFrom(kSidewaysKeys);
        }
        constexpr std::array<int, 2> kLeftKeys{65, 37};
        constexpr std::array<int, 2> kRightKeys{68, 39};
        return plan_.column < pivotColumn ? KeyFrom(kLeftKeys) : KeyFrom(kRightKeys);
    }

    void PlanNextPiece()
    {
        if (game_.CurKind < 1 || game_.CurKind > 7) {
            return;
        }
        const auto kind = static_cast<std::size_t>(game_.CurKind);
        if (Roll(4) == 0) {
            plan_ = DropPlan{Roll(kOrientations[kind]), 1 + Roll(10)};
            return;
        }
        if (const auto best = falbok::testing::BestDrop(game_, Roll(10))) {
            plan_ = *best;
        }
    }

    void Deliver(const Event& e)
    {
        switch (e.kind) {
        case EventKind::Beat:
            game_.tmrMain_Timer();
            break;
        case EventKind::Key:
            game_.Form_KeyDown(static_cast<std::int16_t>(e.a), static_cast<std::int16_t>(e.b));
            break;
        case EventKind::MouseMove:
            game_.Img_MouseMove(static_cast<std::int16_t>(e.a));
            break;
        case EventKind::MouseDown:
            game_.Img_MouseDown(static_cast<std::int16_t>(e.a), static_cast<std::int16_t>(e.b));
            break;
        case EventKind::Menu:
            e.entry->command(game_);
            break;
        case EventKind::NewGame:
            game_.mnuNew_Click();
            break;
        }
    }

    std::string Step(long number)
    {
        const Event e = Pick();
        const bool overBefore = game_.GameOver == 1;
        const int occupiedBefore = e.kind == EventKind::Beat ? Occupied() : 0;
        tk_.ClearLog();  // the log holds this one event's calls
        try {
            Deliver(e);
        } catch (const std::exception& ex) {
            return Report(number, e, std::string("the event threw: ") + ex.what());
        }

        switch (e.kind) {
        case EventKind::Beat:
            ++tally_.beats;
            if (std::string why = CountBeat(overBefore, occupiedBefore); !why.empty()) {
                return Report(number, e, why);
            }
            break;
        case EventKind::Menu:
            ++tally_.menuCommands;
            if (e.entry->item == MenuItem::mnuNew) {
                StartedNewGame();
            }
            break;
        case EventKind::NewGame:
            StartedNewGame();
            break;
        case EventKind::MouseMove:
        case EventKind::MouseDown:
            ++tally_.mouseEvents;
            break;
        case EventKind::Key:
            break;
        }

        if (std::string why = FirstViolation(); !why.empty()) {
            return Report(number, e, why);
        }
        return {};
    }

    void StartedNewGame()
    {
        ++tally_.newGames;
        spawnedSinceNewGame_ = false;
    }

    // A beat either moves the piece or lands it, removes whole rows and brings
    // in the next piece (or ends the game); the blanking of the preview tells
    // the second kind from the first.
    std::string CountBeat(bool overBefore, int occupiedBefore)
    {
        bool spawned = false;
        for (const FakeToolkit::Call& c : tk_.calls) {
            spawned = spawned || (c.op == FakeToolkit::Op::SetTilePicture && c.a >= falbok::kPreviewFirst);
        }
        if (!spawned) {
            return Occupied() == occupiedBefore
                       ? ""
                       : "a beat that brought in no piece changed the number of occupied cells";
        }
        ++tally_.pieces;
        spawnedSinceNewGame_ = true;
        PlanNextPiece();
        if (!overBefore && game_.GameOver == 1) {
            ++tally_.gamesEnded;
        }
        const int placed = game_.GameOver == 1 ? 0 : 4;
        const int removed = occupiedBefore + placed - Occupied();
        if (removed < 0 || removed % 10 != 0) {
            return "a landing beat removed " + std::to_string(removed) + " cells, not whole rows";
        }
        tally_.rowsCleared += removed / 10;
        return {};
    }

    int Occupied() const { return falbok::testing::Occupied(game_); }

    std::string Report(long number, const Event& e, const std::string& why) const
    {
        return "seed " + std::to_string(seed_) + ", event " + std::to_string(number) + " (" + e.Describe() +
               "): " + why + "  [replay with FALBOK_SEED=" + std::to_string(seed_) + "]";
    }

    // The toolkit's side of the rules: what the fake recorded. Plain pointers
    // and forced inlining keep the checks after every event cheap in
    // unoptimised builds too.
    struct Recorded {
        explicit Recorded(const FakeToolkit& tk)
            : tiles(tk.tiles.data()), marks(tk.marks.data()), timerEnabled(tk.timerEnabled),
              timerInterval(tk.timerInterval)
        {
        }
        [[gnu::always_inline]] int Picture(int tile) const { return tiles[tile].picture; }
        [[gnu::always_inline]] bool Visible(int tile) const { return tiles[tile].visible; }
        [[gnu::always_inline]] bool Mark(MenuItem item) const { return marks[static_cast<int>(item)]; }
        [[gnu::always_inline]] bool TimerEnabled() const { return timerEnabled; }
        [[gnu::always_inline]] int TimerInterval() const { return timerInterval; }

        const FakeToolkit::Tile* tiles;
        const bool* marks;
        bool timerEnabled;
        int timerInterval;
    };

    std::string FirstViolation() const
    {
        return falbok::testing::FirstViolation(game_, Recorded(tk_), spawnedSinceNewGame_);
    }

    std::uint64_t seed_;
    std::mt19937_64 rng_;
    FakeToolkit tk_;
    Game game_{tk_};
    std::vector<const MenuEntry*> commands_;
    bool spawnedSinceNewGame_ = false;
    DropPlan plan_;
    Tally tally_;
};

std::uint64_t ChosenSeed()
{
    const char* text = std::getenv("FALBOK_SEED");
    if (text == nullptr || *text == '\0') {
        return kDefaultSeed;
    }
    return std::strtoull(text, nullptr, 10);
}

// The run must have played real games, or passing it would mean nothing.
void ExpectRealGames(const Tally& t, std::uint64_t seed)
{
    SCOPED_TRACE("seed " + std::to_string(seed));
    EXPECT_GT(t.beats, kEventsPerRun / 5);
    EXPECT_GT(t.pieces, 1000);
    EXPECT_GT(t.rowsCleared, 0);
    EXPECT_GT(t.gamesEnded, 0);
    EXPECT_GT(t.newGames, 0);
    EXPECT_GT(t.mouseEvents, 0);
    EXPECT_GT(t.menuCommands, 0);
}

TEST(RandomRun, ChosenSeedKeepsEveryRuleAfterEveryEvent)
{
    const std::uint64_t seed = ChosenSeed();
    RandomRun run(seed);
    // New game, pause, 4 sizes, 4 Esc actions, 20 speeds, 3 backgrounds,
    // 9 colour items, 4 appearance items and mouse control.
    ASSERT_EQ(run.MenuCommandCount(), 47u);
    const std::string why = run.Play(kEventsPerRun);
    ASSERT_TRUE(why.empty()) << why;
    ExpectRealGames(run.Counts(), seed);
}

TEST(RandomRun, OtherSeedsKeepEveryRuleAfterEveryEvent)
{
    for (const std::uint64_t seed : {1ULL, 4'000'000'007ULL}) {
        RandomRun run(seed);
        const std::string why = run.Play(kEventsPerRun);
        ASSERT_TRUE(why.empty()) << why;
        ExpectRealGames(run.Counts(), seed);
    }
}

}  // namespace
