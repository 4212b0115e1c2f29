// SPDX-FileCopyrightText: 2026 The Falbok developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The window on a screen of two device pixels per pixel: at tile size 18 a
// tile covers 36 by 36 device pixels, so it must show its picture one to one.
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QTest>

#include <cstdint>

#include "window/pictures.h"
#include "window/qt/game_window.h"
#include "window/qt/picture_store.h"
#include "window/qt/tile_view.h"

using falbok::qt::GameWindow;
using falbok::qt::ProcessHooks;

namespace {

QByteArray Hex(QRgb rgb) { return "#" + QByteArray::number(rgb & 0xFFFFFFu, 16).rightJustified(6, '0').toUpper(); }

// Empty when the image is the picture pixel for pixel, else the first difference.
QByteArray Difference(const QImage& image, int picture)
{
    const falbok::pictures::Picture& expected = falbok::pictures::TilePicture(picture);
    if (image.size() != QSize(36, 36)) {
        return "size " + QByteArray::number(image.width()) + "x" + QByteArray::number(image.height());
    }
    for (int y = 0; y < 36; ++y) {
        for (int x = 0; x < 36; ++x) {
            if (Hex(image.pixel(x, y)) != Hex(expected.At(x, y))) {
                return "picture " + QByteArray::number(picture) + " at " + QByteArray::number(x) + "," +
                       QByteArray::number(y) + ": " + Hex(image.pixel(x, y)) + " not " + Hex(expected.At(x, y));
            }
        }
    }
    return {};
}

}  // namespace

class HiDpiTest : public QObject {
    Q_OBJECT

private slots:
    void screenDoublesEveryPixel();
    void tilesAtEighteenShowTheSourcePixels();
    void scaledAtThirtySixIsTheSource();
};

void HiDpiTest::screenDoublesEveryPixel()
{
    bool ended = false;
    GameWindow w{ProcessHooks{[] { return false; }, [&] { ended = true; }}};
    w.Start();
    QCOMPARE(w.devicePixelRatio(), 2.0);
    QCOMPARE(w.clientArea()->size(), QSize(265, 370));
    QCOMPARE(w.tile(1)->size(), QSize(18, 18));
    QVERIFY(!ended);
}

void HiDpiTest::tilesAtEighteenShowTheSourcePixels()
{
    bool ended = false;
    GameWindow w{ProcessHooks{[] { return false; }, [&] { ended = true; }}};
    w.Start();
    w.SetTimerEnabled(false);
    QCOMPARE(w.game().TileSize, 18);

    // The dark background every tile has after start-up.
    for (std::int16_t index : {std::int16_t{1}, std::int16_t{95}, std::int16_t{200}, std::int16_t{203}}) {
        const QPixmap grabbed = w.tile(index)->grab();
        QCOMPARE(grabbed.size(), QSize(36, 36));
        QCOMPARE(grabbed.devicePixelRatio(), 2.0);
        const QByteArray difference = Difference(grabbed.toImage(), 10);
        QVERIFY2(difference.isEmpty(), difference.constData());
    }

    // Each of the ten pictures on a board tile and on a preview tile.
    for (std::int16_t index : {std::int16_t{77}, std::int16_t{206}}) {
        for (std::int16_t picture = 1; picture <= 10; ++picture) {
            w.SetTilePicture(index, picture);
            const QPixmap grabbed = w.tile(index)->grab();
            QCOMPARE(grabbed.size(), QSize(36, 36));
            const QByteArray difference = Difference(grabbed.toImage(), picture);
            QVERIFY2(difference.isEmpty(), difference.constData());
        }
    }
    QVERIFY(!ended);
}

void HiDpiTest::scaledAtThirtySixIsTheSource()
{
    const falbok::qt::PictureStore store;
    for (int picture = 1; picture <= 10; ++picture) {
        const QPixmap& scaled = store.Scaled(picture, 36, 2.0);
        QCOMPARE(scaled.devicePixelRatio(), 2.0);
        const QByteArray difference = Difference(scaled.toImage(), picture);
        QVERIFY2(difference.isEmpty(), difference.constData());
        QCOMPARE(store.Scaled(picture, 24, 2.0).size(), QSize(24, 24));
    }
}

QTEST_MAIN(HiDpiTest)
#include "hidpi_test.moc"
