#pragma once

#include "clock_random.h"
#include "game.h"

#include <QColor>
#include <QImage>

#include <functional>
#include <set>
#include <vector>

namespace morvik::test {

// The rules without a window: cues are recorded, the clock is fixed, and a yield runs whatever
// the test put into `onYield`.
struct Harness : CuePlayer, EventLoop {
    Module1 state;
    std::vector<Cue> cues;
    int yields = 0;
    std::function<void()> onYield;
    ClockRandom random{[] { return std::uint64_t{42}; }};
    Game game{state, *this, random, *this};

    Harness()
    {
        QImage marker(24, 24, QImage::Format_RGB32);
        marker.fill(Qt::white);
        game.controls.Picture4 = Picture(marker);
        for (int i = 0; i < 15; ++i)
            game.controls.Picture6[i] = Picture(gradients()[i]);
        for (int i = 0; i < 16; ++i) {
            QImage frame(266, 74, QImage::Format_RGB32);
            frame.fill(QColor(i * 16, 0, 0));
            game.controls.Picture7[i] = Picture(frame);
        }
    }

    // Made once: many harnesses share the pixels, each with picture objects of its own.
    static const std::vector<QImage> &gradients()
    {
        static const std::vector<QImage> pictures = [] {
            std::vector<QImage> made;
            for (int i = 0; i < 15; ++i) {
                QImage picture(240, 240, QImage::Format_RGB32);
                for (int y = 0; y < 240; ++y)
                    for (int x = 0; x < 240; ++x)
                        picture.setPixel(x, y, qRgb(x, y, i * 16));
                made.push_back(picture);
            }
            return made;
        }();
        return pictures;
    }

    void play(Cue cue) override { cues.push_back(cue); }
    void yield() override
    {
        ++yields;
        if (auto run = std::exchange(onYield, nullptr))
            run();
    }

    Controls &c() { return game.controls; }
    Box &tray(int i) { return game.controls.Picture1[i]; }
    Box &board(int i) { return game.controls.Picture2[i]; }
    Box &hand() { return game.controls.Picture3; }

    void keys(const char *text)
    {
        for (; *text; ++text)
            game.KeyPress(static_cast<std::int16_t>(*text));
    }

    // Grid, blank and tile positions agree: every piece 0..98 once, each tile at the home of its cell.
    bool slidingConsistent() const
    {
        std::set<int> pieces;
        for (int column = 0; column < 10; ++column) {
            for (int row = 0; row < 10; ++row) {
                if (column == state.BlankX && row == state.BlankY) {
                    if (state.Grid[column][row] != 0)
                        return false;
                    continue;
                }
                const int p = state.Grid[column][row];
                if (p < 0 || p > 98 || !pieces.insert(p).second)
                    return false;
                const Box &tile = game.controls.Picture1[p];
                if (tile.left != trayLeft(column) || tile.top != trayTop(row))
                    return false;
            }
        }
        return pieces.size() == 99;
    }

    // Which piece a picture shows, read from its pixels: the fixture pictures are x, y gradients.
    static int pieceShown(const Picture &p)
    {
        const QRgb corner = p.image().pixel(0, 0);
        return qGreen(corner) / 24 * 10 + qRed(corner) / 24;
    }

    // Every piece in exactly one place (a tray box, a board cell or the hand), and every place
    // that shows a piece shows the one its number says.
    bool piecesConserved() const
    {
        const Controls &k = game.controls;
        std::set<std::int32_t> handles;
        std::multiset<int> shown;
        auto add = [&](const Picture &p, int number) {
            handles.insert(p.handle());
            shown.insert(pieceShown(p));
            return pieceShown(p) == number;
        };
        bool agree = true;
        for (int i = 0; i < 100; ++i) {
            if (!(k.Picture1[i].picture == k.Picture5))
                agree &= add(k.Picture1[i].picture, state.TrayPiece[i]);
            if (!(k.Picture2[i].picture == k.Picture4))
                agree &= add(k.Picture2[i].picture, state.BoardPiece[i]);
        }
        if (!(k.Picture3.picture == k.Picture4))
            agree &= add(k.Picture3.picture, state.HandPiece);
        return agree && handles.size() == 100 && shown.size() == 100
            && std::set<int>(shown.begin(), shown.end()).size() == 100;
    }
};

}  // namespace morvik::test
