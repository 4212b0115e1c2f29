// SPDX-FileCopyrightText: 2026 The Falbok developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Checks the icon files of an installed tree against the icon's pixel rules:
// DIR/<n>x<n>/apps/NAME.png for every icon size, opaque, at most 256
// colours, every pixel as the rules draw it. Usage: icon_files_check DIR NAME
#include <QImage>
#include <QString>

#include <cstdio>

#include "window/pictures.h"

namespace {

int Mismatches(const QString& file, int size)
{
    const QImage image(file);
    if (image.isNull()) {
        std::printf("FAIL %s: missing or not a picture\n", qPrintable(file));
        return 1;
    }
    if (image.width() != size || image.height() != size) {
        std::printf("FAIL %s: %dx%d, expected %dx%d\n", qPrintable(file), image.width(), image.height(), size, size);
        return 1;
    }
    if (image.format() != QImage::Format_Indexed8 || image.colorCount() > 256) {
        std::printf("FAIL %s: not a palette image of at most 256 colours\n", qPrintable(file));
        return 1;
    }
    const falbok::pictures::IconImage rules = falbok::pictures::Icon(size);
    int wrong = 0;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const QRgb pixel = image.pixel(x, y);
            if (qAlpha(pixel) != 255 || (pixel & 0xFFFFFFu) != rules.At(x, y)) {
                if (wrong++ < 3) {
                    std::printf("FAIL %s: pixel (%d, %d) is #%08X, the rules give #%06X\n", qPrintable(file), x, y,
                                pixel, rules.At(x, y));
                }
            }
        }
    }
    return wrong;
}

}  // namespace

int main(int argc, char* argv[])
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s DIR NAME\n", argv[0]);
        return 2;
    }
    int failures = 0;
    for (const int size : falbok::pictures::kIconSizes) {
        failures += Mismatches(QStringLiteral("%1/%2x%2/apps/%3.png").arg(argv[1]).arg(size).arg(argv[2]), size);
    }
    std::printf("%s: %d mismatches\n", argv[0], failures);
    return failures == 0 ? 0 : 1;
}
