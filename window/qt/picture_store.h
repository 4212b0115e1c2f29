// SPDX-FileCopyrightText: 2026 The Falbok developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The ten tile pictures as pixmaps, made once, and their copies scaled to the
// tile size in device pixels, made once per size. Tiles only ever borrow them.
#pragma once

#include <QIcon>
#include <QImage>
#include <QPixmap>

#include <array>
#include <map>

#include "window/pictures.h"

namespace falbok::qt {

class PictureStore {
public:
    PictureStore();

    // Picture 1..10 at its own 36 by 36 pixels.
    const QPixmap& Source(int picture) const;
    // Picture 1..10 covering `devicePixels` square device pixels, marked with
    // the screen's pixel ratio so that it paints one to one. At 36 device
    // pixels this is the source picture itself.
    const QPixmap& Scaled(int picture, int devicePixels, qreal pixelRatio) const;

    // The window icon with its four images.
    static QIcon WindowIcon();
    // One image of the icon at one of pictures::kIconSizes, with its palette;
    // the icon files installed for the desktop are these images.
    static QImage IconImage(int size);

private:
    using Set = std::array<QPixmap, pictures::kPictureCount>;
    std::array<QPixmap, pictures::kPictureCount> sources_;
    mutable std::map<std::pair<int, qreal>, Set> scaled_;
};

}  // namespace falbok::qt
