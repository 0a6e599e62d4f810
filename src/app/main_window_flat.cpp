#include "app/flat_view.h"
#include "app/image_view.h"
#include "app/main_window.h"
#include "app/zoom.h"
#include "document/flat_picture.h"

namespace mugwarp {

namespace {

PixelPoint flatPoint(QPoint viewPoint, int zoomPercent) {
    return {flatPictureCoordinate(viewPoint.x(), zoomPercent), flatPictureCoordinate(viewPoint.y(), zoomPercent)};
}

}  // namespace

void MainWindow::onFlatPressed(QPoint viewPoint) {
    const FlatTools::Result result = flatTools_.press(flatPoint(viewPoint, zoomPercent_),
                                                      flatSquareSize(document_.eraseSize(), zoomPercent_));
    showFlatResult(result);
}

void MainWindow::onFlatMoved(QPoint viewPoint, Qt::MouseButtons) {
    showFlatResult(flatTools_.move(flatPoint(viewPoint, zoomPercent_),
                                   flatSquareSize(document_.eraseSize(), zoomPercent_)));
}

void MainWindow::onFlatReleased() { showFlatResult(flatTools_.release()); }

void MainWindow::showFlatResult(const FlatTools::Result& result) {
    if (!result.flatChanged.isEmpty()) {
        const Rect& r = result.flatChanged;
        flatView_->pictureChanged(QRect(r.left, r.top, r.width(), r.height()));
    }
    if (result.colourPicked) {
        // The document already took the colour and the Paint tool; the
        // palette and the cursor follow.
        const PlatformColor c = document_.paintColor();
        palette_->showColour(QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF));
        setFlatToolCursor(ToolCode::Paint);
        showActiveTool();
    }
    if (result.cropped) {
        zoomPercent_ = Zoom::kOriginal;
        pictureResized();
        selectArrowTool();
    }
}

}  // namespace mugwarp
