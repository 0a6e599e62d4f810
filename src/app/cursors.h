#pragma once
#include <QCursor>
#include <QString>
#include <array>

namespace mugwarp {

// The eight 32 x 32 monochrome cursors of the flat-image tools, by cursor
// number 1 to 8 (resource names "107" down to "101", and "108" for the pipette).
class CursorTable {
public:
    static constexpr int kCount = 8;
    static constexpr int kPipette = 8;

    CursorTable();

    // Number 1 to 8; anything else gives the arrow.
    QCursor cursor(int number) const;
    static QString resourceName(int number);
    // The cursor number for an Erase/Paint square size: 1, 3, 6, 10, 14, 18, 26, else 7.
    static int numberForEraseSize(int size);

private:
    std::array<QCursor, kCount> cursors_;
};

}  // namespace mugwarp
