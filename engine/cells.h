// SPDX-FileCopyrightText: 2026 The Falbok developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Cells, tiles and the 1-based arrays the game state is made of.
#pragma once

#include <array>
#include <cassert>
#include <concepts>
#include <cstddef>
#include <cstdint>

namespace falbok {

inline constexpr std::int16_t kColumns = 10;
inline constexpr std::int16_t kRows = 20;
inline constexpr std::int16_t kCells = kColumns * kRows;   // board cells 1..200
inline constexpr std::int16_t kPreviewFirst = kCells + 1;  // preview tiles 201..208
inline constexpr std::int16_t kTiles = kCells + 8;         // every tile view, 1..208
inline constexpr std::int16_t kColours = 7;
inline constexpr std::int16_t kKinds = 7;

// A fixed array numbered from 1, so the code can say Board(k + 10) the way
// the rules of the game are written. Out-of-range access is a programming
// error and trips the assertion in every build that keeps assertions.
template <typename T, std::size_t N>
class Array1 {
public:
    constexpr T& operator()(std::integral auto k)
    {
        assert(k >= 1 && static_cast<std::size_t>(k) <= N);
        return items_[static_cast<std::size_t>(k) - 1];
    }
    constexpr const T& operator()(std::integral auto k) const
    {
        assert(k >= 1 && static_cast<std::size_t>(k) <= N);
        return items_[static_cast<std::size_t>(k) - 1];
    }
    constexpr void Fill(T value) { items_.fill(value); }
    static constexpr std::int16_t Count() { return static_cast<std::int16_t>(N); }

private:
    std::array<T, N> items_{};
};

// Row 1 is the top row, column 1 the left column.
constexpr std::int16_t RowOf(std::int16_t cell) { return static_cast<std::int16_t>((cell - 1) / kColumns + 1); }

// Anything below cell 1 lies in no column: column 0.
constexpr std::int16_t ColumnOf(std::int16_t cell)
{
    return cell < 1 ? std::int16_t{0} : static_cast<std::int16_t>((cell - 1) % kColumns + 1);
}

constexpr bool IsBoardCell(std::int32_t cell) { return cell >= 1 && cell <= kCells; }
constexpr bool IsTile(std::int32_t index) { return index >= 1 && index <= kTiles; }

}  // namespace falbok
