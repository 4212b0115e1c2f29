// SPDX-FileCopyrightText: 2026 The Falbok developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Writes the window icon as the PNG files a desktop looks for:
// OUTDIR/<n>x<n>/apps/NAME.png for every icon size. Run at build time, so
// the installed icons are always the very images the window shows.
#include <QDir>
#include <QImageWriter>
#include <QString>

#include <cstdio>

#include "window/pictures.h"
#include "window/qt/picture_store.h"

int main(int argc, char* argv[])
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s OUTDIR NAME\n", argv[0]);
        return 2;
    }
    const QString outDir = QString::fromLocal8Bit(argv[1]);
    const QString name = QString::fromLocal8Bit(argv[2]);
    for (const int size : falbok::pictures::kIconSizes) {
        const QString dir = QStringLiteral("%1/%2x%2/apps").arg(outDir).arg(size);
        const QString file = QStringLiteral("%1/%2.png").arg(dir, name);
        QImageWriter writer(file, "png");
        if (!QDir().mkpath(dir) || !writer.write(falbok::qt::PictureStore::IconImage(size))) {
            std::fprintf(stderr, "%s: cannot write %s: %s\n", argv[0], qPrintable(file),
                         qPrintable(writer.errorString()));
            return 1;
        }
    }
    return 0;
}
