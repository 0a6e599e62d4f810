#include "app/cursors.h"

#include <QBitmap>
#include <QPainter>

namespace mugwarp {
namespace {

constexpr int kCursorSize = 32;

// Qt monochrome cursors: bitmap 1 + mask 1 is black, bitmap 0 + mask 1 white,
// mask 0 transparent.
struct CursorCanvas {
    QImage shape{kCursorSize, kCursorSize, QImage::Format_Mono};
    QImage mask{kCursorSize, kCursorSize, QImage::Format_Mono};

    CursorCanvas() {
        shape.fill(0);
        mask.fill(0);
    }
    void set(int x, int y, bool black) {
        if (x < 0 || y < 0 || x >= kCursorSize || y >= kCursorSize) return;
        shape.setPixel(x, y, black ? 1 : 0);
        mask.setPixel(x, y, 1);
    }
    QCursor toCursor(int hotX, int hotY) const {
        return QCursor(QBitmap::fromImage(shape), QBitmap::fromImage(mask), hotX, hotY);
    }
};

void drawSquareOutline(CursorCanvas& canvas, int origin, int edge) {
    const int last = origin + edge - 1;
    for (int i = origin; i <= last; ++i) {
        canvas.set(i, origin, true);
        canvas.set(i, last, true);
        canvas.set(origin, i, true);
        canvas.set(last, i, true);
    }
    // The white line just inside keeps the square visible on dark pictures.
    for (int i = origin + 1; i <= last - 1; ++i) {
        canvas.set(i, origin + 1, false);
        canvas.set(i, last - 1, false);
        canvas.set(origin + 1, i, false);
        canvas.set(last - 1, i, false);
    }
}

QCursor squareCursor(int edge) {
    CursorCanvas canvas;
    drawSquareOutline(canvas, 0, edge);
    return canvas.toCursor(1, 1);
}

QCursor dottedCrossCursor() {
    CursorCanvas canvas;
    for (int d = 2; d <= 8; d += 2) {
        canvas.set(15 + d, 15, true);
        canvas.set(15 - d, 15, true);
        canvas.set(15, 15 + d, true);
        canvas.set(15, 15 - d, true);
    }
    canvas.set(15, 15, true);
    return canvas.toCursor(15, 15);
}

QCursor pipetteCursor() {
    CursorCanvas canvas;
    // A slim tube from the lower left tip to a bulb at the upper right, with a white core.
    for (int i = 0; i < 22; ++i) {
        const int x = 3 + i;
        const int y = 28 - i;
        canvas.set(x, y - 1, true);
        canvas.set(x + 1, y, true);
        if (i > 1) canvas.set(x, y, false);
    }
    for (int dy = -3; dy <= 3; ++dy)
        for (int dx = -3; dx <= 3; ++dx)
            if (dx * dx + dy * dy <= 10) canvas.set(26 + dx, 5 + dy, true);
    canvas.set(2, 29, true);
    return canvas.toCursor(15, 15);
}

}  // namespace

CursorTable::CursorTable() {
    // Number n is resource "108" for the pipette and 108 - n otherwise.
    cursors_[7] = pipetteCursor();     // 8, "108"
    cursors_[6] = squareCursor(30);    // 7, "101"
    cursors_[5] = squareCursor(20);    // 6, "102"
    cursors_[4] = squareCursor(15);    // 5, "103"
    cursors_[3] = squareCursor(11);    // 4, "104"
    cursors_[2] = squareCursor(7);     // 3, "105"
    cursors_[1] = squareCursor(5);     // 2, "106"
    cursors_[0] = dottedCrossCursor(); // 1, "107"
}

QCursor CursorTable::cursor(int number) const {
    if (number < 1 || number > kCount) return QCursor(Qt::ArrowCursor);
    return cursors_[static_cast<std::size_t>(number - 1)];
}

QString CursorTable::resourceName(int number) {
    if (number == kPipette) return QStringLiteral("108");
    if (number < 1 || number > kCount) return {};
    return QString::number(108 - number);
}

int CursorTable::numberForEraseSize(int size) {
    switch (size) {
    case 1: return 1;
    case 3: return 2;
    case 6: return 3;
    case 10: return 4;
    case 14: return 5;
    case 18: return 6;
    default: return 7;
    }
}

}  // namespace mugwarp
