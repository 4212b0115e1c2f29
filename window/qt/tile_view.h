// SPDX-FileCopyrightText: 2026 The Falbok developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// One tile of the board or the preview: shows one of the ten pictures scaled
// to its own size and reports the pointer to the window with its index.
//
// The game hides and shows every tile it redraws. Hidden is a flag here, not
// Qt's visibility: a hidden tile paints the client area's colour and lets the
// pointer through to what lies beneath, as a hidden widget would, but the
// widget itself stays on, because every real show or hide of a widget under
// the pointer makes Qt ask the X server where the pointer is.
#pragma once

#include <QWidget>

#include <cstdint>

namespace falbok::qt {

class GameWindow;
class PictureStore;

class TileView final : public QWidget {
    Q_OBJECT

public:
    TileView(std::int16_t index, GameWindow& window, const PictureStore& pictures, QWidget* parent);

    std::int16_t index() const { return index_; }
    std::int16_t picture() const { return picture_; }  // 0 until the game gives one
    void SetPicture(std::int16_t picture);
    // On screen as a tile: the game shows it and Qt shows the window.
    bool shown() const { return shown_ && isVisible(); }
    void SetShown(bool shown);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    std::int16_t index_;
    std::int16_t picture_ = 0;
    bool shown_ = false;  // until the game shows it
    GameWindow& window_;
    const PictureStore& pictures_;
};

}  // namespace falbok::qt
