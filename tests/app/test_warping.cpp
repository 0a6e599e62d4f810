#include <QAction>
#include <QSlider>
#include <QToolBar>
#include <cmath>

#include "app_test_support.h"

using namespace mugwarp;
using namespace mugwarp::testing;

namespace {

// The rectangle of picture pixels where two pictures differ (empty when equal).
QRect differingArea(const QImage& a, const QImage& b) {
    QRect area;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y)) area |= QRect(x, y, 1, 1);
    return area;
}

qint64 totalDifference(const QImage& a, const QImage& b) {
    qint64 sum = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            sum += qAbs(qRed(p) - qRed(q)) + qAbs(qGreen(p) - qGreen(q)) + qAbs(qBlue(p) - qBlue(q));
        }
    return sum;
}

// The brush square centred on picture point c for brush size s.
QRect brushSquare(QPoint c, int s) { return QRect(c.x() - s / 2, c.y() - s / 2, s, s); }

}  // namespace

class WarpingTest : public QObject {
    Q_OBJECT
private slots:
    void leftAndRightWarpDragsChangeOnlyTheBrushSquares() {
        TestWindow w;
        QVERIFY(w->openPicture(samplePortrait()));
        const QImage original = displayImage(*w);
        w->actions().warp->trigger();
        QCOMPARE(w->document().currentTool(), ToolCode::Warp);
        ImageView* view = w->view();

        press(view, QPoint(200, 200), Qt::LeftButton);
        QRect allowed;
        for (int x = 200; x <= 230; x += 10) {
            moveHeld(view, QPoint(x, 210), Qt::LeftButton);
            allowed |= brushSquare(QPoint(x, 210), 100);
            QCOMPARE(view->lastRepaintRequest(), view->mapping().pictureRectToView(brushSquare(QPoint(x, 210), 100)));
        }
        release(view, QPoint(230, 210), Qt::LeftButton);
        const QImage afterLeft = displayImage(*w);
        const QRect changedLeft = differingArea(original, afterLeft);
        QVERIFY(!changedLeft.isEmpty());
        QVERIFY2(allowed.contains(changedLeft), "a left drag changed pixels outside the brush squares");

        w->undo();
        QCOMPARE(displayImage(*w), original);

        press(view, QPoint(200, 200), Qt::RightButton);
        for (int x = 200; x <= 230; x += 10) moveHeld(view, QPoint(x, 210), Qt::RightButton);
        release(view, QPoint(230, 210), Qt::RightButton);
        const QImage afterRight = displayImage(*w);
        const QRect changedRight = differingArea(original, afterRight);
        QVERIFY(!changedRight.isEmpty());
        QVERIFY(allowed.contains(changedRight));
        // The right button warps the other way.
        QVERIFY(afterRight != afterLeft);
        QVERIFY(w.errors.isEmpty());
    }

    void repaintCoversTheBrushSquareMappedToTheZoomedView() {
        TestWindow w;
        QVERIFY(w->openPicture(samplePortrait()));
        w->actions().zoomIn->trigger();  // 120 %
        w->actions().twirl->trigger();
        ImageView* view = w->view();
        press(view, QPoint(300, 300), Qt::LeftButton);
        moveHeld(view, QPoint(310, 305), Qt::LeftButton);
        const QPoint centre = view->viewToPicture(QPoint(310, 305));
        const QRect square = brushSquare(centre, 100);
        const QRect expected = view->mapping().pictureRectToView(square);
        QCOMPARE(view->lastRepaintRequest(), expected);
        QVERIFY(expected.width() <= 122 && expected.width() >= 119);
        release(view, QPoint(310, 305), Qt::LeftButton);
        // The outline follows the pointer round the brush's disc, zoomed as the picture.
        QCOMPARE(view->brushOutlineCentre(), QPoint(310, 305));
        QVERIFY(qAbs(2 * view->brushOutlineRadius() + 1 - expected.width()) <= 2);
        QVERIFY(view->brushOutlineVisible());
    }

    void warpHeldStillKeepsDeepening() {
        TestWindow w;
        QVERIFY(w->openPicture(samplePortrait()));
        const QImage original = displayImage(*w);
        w->actions().warp->trigger();
        QVERIFY(w->strokeTimer().isActive());
        QCOMPARE(w->strokeTimer().interval(), 50);
        ImageView* view = w->view();
        press(view, QPoint(256, 256), Qt::LeftButton);
        QCOMPARE(displayImage(*w), original);  // a press alone applies nothing
        w->strokeTimerTick();
        const qint64 once = totalDifference(original, displayImage(*w));
        for (int i = 0; i < 4; ++i) w->strokeTimerTick();
        const qint64 fiveTimes = totalDifference(original, displayImage(*w));
        QVERIFY(once > 0);
        QVERIFY(fiveTimes > once);
        // The real timer does the same while the button stays down.
        QTest::qWait(260);
        QVERIFY(totalDifference(original, displayImage(*w)) > fiveTimes);
        release(view, QPoint(256, 256), Qt::LeftButton);
        const QImage released = displayImage(*w);
        QTest::qWait(120);
        QCOMPARE(displayImage(*w), released);
    }

    void puttyDoesNotRepeat() {
        TestWindow w;
        QVERIFY(w->openPicture(samplePortrait()));
        w->actions().putty->trigger();
        QVERIFY(!w->strokeTimer().isActive());
        const QImage original = displayImage(*w);
        press(w->view(), QPoint(256, 256), Qt::LeftButton);
        w->strokeTimerTick();
        QCOMPARE(displayImage(*w), original);
        moveHeld(w->view(), QPoint(270, 256), Qt::LeftButton);
        release(w->view(), QPoint(270, 256), Qt::LeftButton);
        QVERIFY(displayImage(*w) != original);
    }

    void middleButtonOnlyMovesTheOutline() {
        TestWindow w;
        QVERIFY(w->openPicture(samplePortrait()));
        w->actions().warp->trigger();
        const QImage original = displayImage(*w);
        press(w->view(), QPoint(100, 100), Qt::MiddleButton);
        moveHeld(w->view(), QPoint(120, 110), Qt::MiddleButton);
        w->strokeTimerTick();
        release(w->view(), QPoint(120, 110), Qt::MiddleButton);
        QCOMPARE(displayImage(*w), original);
        QCOMPARE(w->view()->brushOutlineCentre(), QPoint(120, 110));
    }

    void arrowToolIgnoresTheMouse() {
        TestWindow w;
        QVERIFY(w->openPicture(samplePortrait()));
        const QImage original = displayImage(*w);
        press(w->view(), QPoint(100, 100), Qt::LeftButton);
        moveHeld(w->view(), QPoint(130, 100), Qt::LeftButton);
        release(w->view(), QPoint(130, 100), Qt::LeftButton);
        QCOMPARE(displayImage(*w), original);
        QVERIFY(!w->view()->brushOutlineVisible());
    }

    void undoReturnsToThePictureBeforeTheLastStroke() {
        TestWindow w;
        QVERIFY(w->openPicture(samplePortrait()));
        w->actions().putty->trigger();
        ImageView* view = w->view();
        press(view, QPoint(200, 200), Qt::LeftButton);
        moveHeld(view, QPoint(230, 200), Qt::LeftButton);
        release(view, QPoint(230, 200), Qt::LeftButton);
        const QImage afterFirst = displayImage(*w);
        press(view, QPoint(300, 300), Qt::LeftButton);
        moveHeld(view, QPoint(300, 330), Qt::LeftButton);
        release(view, QPoint(300, 330), Qt::LeftButton);
        QVERIFY(displayImage(*w) != afterFirst);
        w->actions().undo->trigger();
        QCOMPARE(displayImage(*w), afterFirst);
        QCOMPARE(w->zoomPercent(), 100);
    }

    void reloadRestoresTheFileAndSelectsTheArrow() {
        TestWindow w;
        QVERIFY(w->openPicture(samplePortrait()));
        const QImage original = displayImage(*w);
        w->actions().zoomIn->trigger();
        w->actions().warp->trigger();
        press(w->view(), QPoint(200, 200), Qt::LeftButton);
        moveHeld(w->view(), QPoint(230, 200), Qt::LeftButton);
        release(w->view(), QPoint(230, 200), Qt::LeftButton);
        w->actions().reload->trigger();
        QCOMPARE(displayImage(*w), original);
        QCOMPARE(w->zoomPercent(), 100);
        QCOMPARE(w->view()->size(), QSize(512, 512));
        QCOMPARE(w->document().currentTool(), ToolCode::Arrow);
        QVERIFY(!w->warpSettingsBar()->isVisible());
    }

    void paintedViewShowsThePictureAndTheOutline() {
        TestWindow w;
        QVERIFY(w->openPicture(samplePortrait()));
        w->actions().zoomIn->trigger();
        w->actions().zoomIn->trigger();  // 140 %
        const QImage grabbed = w->view()->grab().toImage();
        const QImage picture = displayImage(*w);
        const ViewMapping& mapping = w->view()->mapping();
        for (const QPoint p : {QPoint(0, 0), QPoint(137, 401), QPoint(715, 715), QPoint(355, 20)})
            QCOMPARE(grabbed.pixel(p) & 0xFFFFFF, picture.pixel(mapping.pictureColumnAt(p.x()), mapping.pictureRowAt(p.y())) & 0xFFFFFF);
        w->actions().warp->trigger();
        moveHeld(w->view(), QPoint(300, 300), Qt::NoButton);
        const QImage withOutline = w->view()->grab().toImage();
        // At 140 % the outline of a 100-pixel brush is 140 view pixels across.
        int outlinePixels = 0;
        for (int x = 300 - 72; x <= 300 + 72; ++x)
            if (withOutline.pixel(x, 300) != grabbed.pixel(x, 300)) ++outlinePixels;
        QVERIFY(outlinePixels >= 2);
        QCOMPARE(withOutline.pixel(300, 300), grabbed.pixel(300, 300));
    }

    // The outline is measured on the screen and compared with the square of
    // picture pixels the brush may change, mapped into the same view.
    void outlineSpansTheBrushAreaAtEveryZoom_data() {
        QTest::addColumn<int>("menuSteps");  // Zoom In (+) or Zoom Out (-) from 100 %
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("viewRadius");
        QTest::newRow("20 %, size 400") << -4 << 400 << 40;
        QTest::newRow("60 %, size 5") << -2 << 5 << 1;
        QTest::newRow("100 %, size 120") << 0 << 120 << 60;
        QTest::newRow("200 %, size 100") << 5 << 100 << 100;
        QTest::newRow("500 %, size 41") << 20 << 41 << 102;
    }
    void outlineSpansTheBrushAreaAtEveryZoom() {
        QFETCH(int, menuSteps);
        QFETCH(int, size);
        QFETCH(int, viewRadius);
        QTemporaryDir dir;
        QImage grey(1000, 800, QImage::Format_RGB32);
        grey.fill(QColor(128, 128, 128));
        TestWindow w;
        QVERIFY(w->openPicture(writeBmp(dir, QStringLiteral("grey.bmp"), grey)));
        for (int i = 0; i < std::abs(menuSteps); ++i) (menuSteps > 0 ? w->actions().zoomIn : w->actions().zoomOut)->trigger();
        w->actions().putty->trigger();
        w->sizeBar()->setValue(size);
        ImageView* view = w->view();
        const QPoint centre(view->width() / 2, view->height() / 2);
        moveHeld(view, centre, Qt::NoButton);
        QCOMPARE(view->brushOutlineRadius(), viewRadius);
        const int reach = viewRadius + 4;
        const QRect around(centre - QPoint(reach, reach), QSize(2 * reach + 1, 2 * reach + 1));
        const QImage shown = view->grab(around).toImage();
        int left = -1, right = -1;
        for (int x = 0; x < shown.width(); ++x)
            if ((shown.pixel(x, reach) & 0xFFFFFF) != 0x808080) {
                if (left < 0) left = x;
                right = x;
            }
        QVERIFY2(left >= 0, "no outline drawn");
        const int drawnAcross = right - left + 1;
        const QRect changeable = view->mapping().pictureRectToView(brushSquare(view->viewToPicture(centre), size));
        QVERIFY2(std::abs(drawnAcross - changeable.width()) <= 3,
                 qPrintable(QStringLiteral("outline %1 view pixels across, brush %2").arg(drawnAcross).arg(changeable.width())));
        // A new zoom resizes the outline without a move of the pointer.
        const int zoomBefore = w->zoomPercent();
        w->actions().zoomIn->trigger();
        if (w->zoomPercent() != zoomBefore) QVERIFY(view->brushOutlineRadius() > viewRadius);
    }

    void outlineIsDashedInEqualBlackAndWhiteSegments() {
        QTemporaryDir dir;
        QImage grey(300, 300, QImage::Format_RGB32);
        grey.fill(QColor(128, 128, 128));
        TestWindow w;
        QVERIFY(w->openPicture(writeBmp(dir, QStringLiteral("grey.bmp"), grey)));
        w->actions().putty->trigger();
        const QPoint centre(150, 150);
        moveHeld(w->view(), centre, Qt::NoButton);
        const QImage shown = w->view()->grab().toImage();
        // Radius 50 gives 54 segments going round from angle 0, the first black,
        // each at alpha 160: black over grey is about 48, white about 208.
        const int radius = 50, count = 54;
        for (int i = 1; i <= 8; ++i) {
            const double a0 = (i - 1) * 2 * M_PI / count, a1 = i * 2 * M_PI / count;
            const QPoint middle(qRound(centre.x() + radius * (std::cos(a0) + std::cos(a1)) / 2),
                                qRound(centre.y() + radius * (std::sin(a0) + std::sin(a1)) / 2));
            int darkest = 255, brightest = 0;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    const int g = qGreen(shown.pixel(middle + QPoint(dx, dy)));
                    darkest = std::min(darkest, g);
                    brightest = std::max(brightest, g);
                }
            if (i % 2 == 1) {
                QVERIFY2(darkest < 70 && brightest <= 140, qPrintable(QStringLiteral("segment %1 is not black").arg(i)));
            } else {
                QVERIFY2(brightest > 190 && darkest >= 120, qPrintable(QStringLiteral("segment %1 is not white").arg(i)));
            }
        }
    }
};

int main(int argc, char** argv) { return mugwarp::testing::runTests<WarpingTest>(argc, argv); }

#include "test_warping.moc"
