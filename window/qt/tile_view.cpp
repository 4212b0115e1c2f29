// SPDX-FileCopyrightText: 2026 The Falbok developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "window/qt/tile_view.h"

#include <QMouseEvent>
#include <QPainter>

#include <cmath>

#include "window/qt/game_window.h"
#include "window/qt/picture_store.h"

namespace falbok::qt {

TileView::TileView(std::int16_t index, GameWindow& window, const PictureStore& pictures, QWidget* parent)
    : QWidget(parent), index_(index), window_(window), pictures_(pictures)
{
    setFocusPolicy(Qt::NoFocus);
    setMouseTracking(true);  // moves without a button held
    // Every paint covers the whole tile, so Qt need not paint beneath it.
    setAttribute(Qt::WA_OpaquePaintEvent);
    show();  // Qt shows it with the window from now on; the game hides it by the flag
}

void TileView::SetPicture(std::int16_t picture)
{
    if (picture != picture_) {
        picture_ = picture;
        update();
    }
}

void TileView::SetShown(bool shown)
{
    if (shown != shown_) {
        shown_ = shown;
        update();
    }
}

void TileView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (!shown_ || picture_ == 0) {
        // The client area's colour, which the tile inherits. Only the
        // template is ever without a picture, and it is hidden then.
        painter.fillRect(rect(), palette().window());
        return;
    }
    const qreal ratio = devicePixelRatioF();
    const int devicePixels = static_cast<int>(std::lround(width() * ratio));
    painter.drawPixmap(rect(), pictures_.Scaled(picture_, devicePixels, ratio));
}

void TileView::mouseMoveEvent(QMouseEvent* event)
{
    if (!shown_) {
        event->ignore();  // on to the client area, as past a hidden widget
    } else if (event->buttons() == Qt::NoButton) {
        window_.TileMouseMoved(index_);
    }
}

void TileView::mousePressEvent(QMouseEvent* event)
{
    if (!shown_) {
        event->ignore();
        return;
    }
    window_.TileMousePressed(index_, event->button());
}

}  // namespace falbok::qt
