#include "app/brush_guides.h"

#include <QPainter>
#include <QPolygonF>
#include <algorithm>
#include <vector>

#include "document/document.h"
#include "warp/deformed_grid.h"

namespace mugwarp {
namespace {

// Half of full strength at 255: a frozen eye stays plain to see.
constexpr int kTintOpacity = 128;
// Points per mesh line between two crossings: short enough that a bent line
// looks smooth, few enough for a full repaint well inside a frame.
constexpr int kPointsPerCell = 8;
// How far a bent line may have been pulled from its straight place and still
// be drawn in a partial repaint.
constexpr int kMeshReach = 96;

// A few segments per call: the painter fills a call's spans on worker
// threads, and waits for them, once there are more than about a hundred.
void drawInPieces(QPainter& painter, const QPolygonF& line) {
    constexpr qsizetype kSegmentsPerCall = 8;
    for (qsizetype first = 0; first + 1 < line.size(); first += kSegmentsPerCall) {
        const qsizetype count = std::min(kSegmentsPerCall + 1, line.size() - first);
        painter.drawPolyline(line.constData() + first, static_cast<int>(count));
    }
}

}  // namespace

void BrushGuides::renderInto(QImage& buffer, const QRect& viewArea) const {
    const ByteMap& mask = document_.freezeMask();
    const ViewMapping& mapping = view_.mapping();
    if (!maskDrawn() || mask.width() == 0 || mapping.isEmpty()) return;
    if (mask.width() != mapping.pictureSize().width() || mask.height() != mapping.pictureSize().height()) return;
    const std::vector<int> columns = mapping.pictureColumns(viewArea.left(), viewArea.width());
    const int tr = qRed(kTint), tg = qGreen(kTint), tb = qBlue(kTint);
    for (int row = 0; row < viewArea.height(); ++row) {
        const std::uint8_t* cells = mask.row(mapping.pictureRowAt(viewArea.top() + row));
        auto* out = reinterpret_cast<QRgb*>(buffer.scanLine(row));
        for (int i = 0; i < viewArea.width(); ++i) {
            const int level = cells[columns[static_cast<std::size_t>(i)]];
            if (level == 0) continue;
            const int a = level * kTintOpacity / 255;
            const QRgb c = out[i];
            out[i] = qRgb(qRed(c) + (tr - qRed(c)) * a / 255, qGreen(c) + (tg - qGreen(c)) * a / 255,
                          qBlue(c) + (tb - qBlue(c)) * a / 255);
        }
    }
}

void BrushGuides::paintOver(QPainter& painter, const QRect& viewArea) const {
    const ViewMapping& mapping = view_.mapping();
    const DisplacementMap& map = document_.deformation();
    if (!meshDrawn() || mapping.isEmpty() || map.width() != mapping.pictureSize().width()) return;
    const double toPicture = double(mapping.pictureSize().width()) / mapping.viewSize().width();
    const double toPictureY = double(mapping.pictureSize().height()) / mapping.viewSize().height();
    const QRect reach = viewArea.adjusted(-kMeshReach, -kMeshReach, kMeshReach, kMeshReach) & view_.rect();
    if (reach.isEmpty()) return;
    const auto shown = [&](double vx, double vy) {
        const GridPoint p = shownPosition(map, {vx * toPicture, vy * toPictureY});
        return QPointF(p.x / toPicture, p.y / toPictureY);
    };
    painter.save();
    painter.setClipRect(viewArea);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(QColor(40, 200, 255), 1));
    const double step = double(kMeshSpacing) / kPointsPerCell;
    const int firstX = (reach.left() + kMeshSpacing - 1) / kMeshSpacing * kMeshSpacing;
    const int firstY = (reach.top() + kMeshSpacing - 1) / kMeshSpacing * kMeshSpacing;
    QPolygonF line;
    for (int x = firstX; x <= reach.right(); x += kMeshSpacing) {
        line.clear();
        for (double y = reach.top(); y <= reach.bottom() + step; y += step) line.append(shown(x, y));
        drawInPieces(painter, line);
    }
    for (int y = firstY; y <= reach.bottom(); y += kMeshSpacing) {
        line.clear();
        for (double x = reach.left(); x <= reach.right() + step; x += step) line.append(shown(x, y));
        drawInPieces(painter, line);
    }
    painter.restore();
}

}  // namespace mugwarp
