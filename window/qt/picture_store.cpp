// SPDX-FileCopyrightText: 2026 The Falbok developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "window/qt/picture_store.h"

#include <cassert>
#include <cmath>

namespace falbok::qt {

namespace {

QImage ToImage(const pictures::Picture& picture)
{
    QImage image(pictures::kPictureSize, pictures::kPictureSize, QImage::Format_RGB32);
    for (int y = 0; y < pictures::kPictureSize; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < pictures::kPictureSize; ++x) {
            line[x] = 0xFF000000u | picture.At(x, y);
        }
    }
    return image;
}

QImage ToImage(const pictures::IconImage& icon)
{
    QImage image(icon.size, icon.size, QImage::Format_Indexed8);
    QList<QRgb> table;
    for (const auto colour : icon.palette) {
        table.append(0xFF000000u | colour);
    }
    image.setColorTable(table);
    for (int y = 0; y < icon.size; ++y) {
        uchar* line = image.scanLine(y);
        for (int x = 0; x < icon.size; ++x) {
            line[x] = icon.indices[static_cast<std::size_t>(y * icon.size + x)];
        }
    }
    return image;
}

}  // namespace

PictureStore::PictureStore()
{
    for (int k = 1; k <= pictures::kPictureCount; ++k) {
        sources_[static_cast<std::size_t>(k - 1)] = QPixmap::fromImage(ToImage(pictures::TilePicture(k)));
    }
}

const QPixmap& PictureStore::Source(int picture) const
{
    assert(picture >= 1 && picture <= pictures::kPictureCount);
    return sources_[static_cast<std::size_t>(picture - 1)];
}

const QPixmap& PictureStore::Scaled(int picture, int devicePixels, qreal pixelRatio) const
{
    assert(picture >= 1 && picture <= pictures::kPictureCount);
    auto [entry, made] = scaled_.try_emplace({devicePixels, pixelRatio});
    Set& set = entry->second;
    if (made) {
        // A tile size is chosen at most four times a game, so each size is
        // scaled once and shared by every tile from then on.
        for (std::size_t i = 0; i < set.size(); ++i) {
            QPixmap pixmap =
                devicePixels == pictures::kPictureSize
                    ? sources_[i]
                    : sources_[i].scaled(devicePixels, devicePixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            pixmap.setDevicePixelRatio(pixelRatio);
            set[i] = pixmap;
        }
    }
    return set[static_cast<std::size_t>(picture - 1)];
}

QIcon PictureStore::WindowIcon()
{
    QIcon icon;
    for (const int size : pictures::kIconSizes) {
        icon.addPixmap(QPixmap::fromImage(IconImage(size)));
    }
    return icon;
}

QImage PictureStore::IconImage(int size) { return ToImage(pictures::Icon(size)); }

}  // namespace falbok::qt
