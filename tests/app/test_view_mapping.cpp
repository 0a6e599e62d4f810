#include "app/view_mapping.h"
#include "app/view_renderer.h"
#include "app/zoom.h"
#include "app_test_support.h"

using namespace mugwarp;

class ViewMappingTest : public QObject {
    Q_OBJECT
private slots:
    void viewSizeTruncates() {
        QCOMPARE(zoomedViewSize(QSize(512, 512), 100), QSize(512, 512));
        QCOMPARE(zoomedViewSize(QSize(512, 512), 35), QSize(179, 179));
        QCOMPARE(zoomedViewSize(QSize(3, 3), 20), QSize(0, 0));
        QCOMPARE(zoomedViewSize(QSize(333, 7), 115), QSize(382, 8));
        // Sizes whose floating-point quotient by 100 falls just short.
        for (int length : {29, 57, 58, 113, 201, 226, 4001})
            QCOMPARE(zoomedViewSize(QSize(length, length), 100), QSize(length, length));
        QCOMPARE(zoomedViewSize(QSize(29, 57), 200), QSize(58, 114));
        QCOMPARE(zoomedViewSize(QSize(29, 57), 20), QSize(5, 11));
    }

    void zoomIsClamped() {
        QCOMPARE(clampZoom(510), 500);
        QCOMPARE(clampZoom(15), 20);
        QCOMPARE(clampZoom(135), 135);
    }

    void controlToBitmapIsIdentityAtOriginalSize() {
        const ViewMapping mapping(QSize(512, 300), QSize(512, 300));
        QCOMPARE(mapping.viewToPicture(QPoint(0, 0)), QPoint(0, 0));
        QCOMPARE(mapping.viewToPicture(QPoint(511, 299)), QPoint(511, 299));
        QCOMPARE(mapping.viewToPicture(QPoint(-7, 400)), QPoint(-7, 400));
    }

    void controlToBitmapHalvesAtDoubleSize() {
        const ViewMapping mapping(QSize(512, 512), QSize(1024, 1024));
        QCOMPARE(mapping.viewToPicture(QPoint(1, 3)), QPoint(0, 1));
        QCOMPARE(mapping.viewToPicture(QPoint(1023, 1022)), QPoint(511, 511));
    }

    void controlToBitmapUsesRoundedFixedScales() {
        // 512 / 179 = 2.8603 -> sx = round(512 * 65536 / 179) = 187448.
        const ViewMapping mapping(QSize(512, 512), QSize(179, 179));
        QCOMPARE(mapping.viewToPicture(QPoint(100, 178)), QPoint(100 * 187448 / 65536, 178 * 187448 / 65536));
        // Truncation toward zero for positions left of the view.
        QCOMPARE(mapping.viewToPicture(QPoint(-1, 0)).x(), -187448 / 65536);
    }

    void drawingSamplesPixelCentres() {
        const ViewMapping mapping(QSize(10, 10), QSize(15, 15));
        // View pixel v shows picture pixel floor((v + 0.5) * 10 / 15).
        for (int v = 0; v < 15; ++v) QCOMPARE(mapping.pictureColumnAt(v), int((v + 0.5) * 10 / 15));
        const ViewMapping shrink(QSize(100, 100), QSize(30, 30));
        for (int v = 0; v < 30; ++v) QCOMPARE(shrink.pictureRowAt(v), int((v + 0.5) * 100 / 30));
    }

    void pictureRectMapsToTheViewPixelsShowingIt() {
        for (const QSize view : {QSize(512, 512), QSize(1024, 1024), QSize(179, 179), QSize(768, 333)}) {
            const ViewMapping mapping(QSize(512, 512), view);
            const QRect picture(100, 50, 37, 80);
            const QRect mapped = mapping.pictureRectToView(picture);
            for (int x = 0; x < view.width(); ++x) {
                const bool shows = picture.left() <= mapping.pictureColumnAt(x) && mapping.pictureColumnAt(x) <= picture.right();
                QCOMPARE(shows, mapped.left() <= x && x <= mapped.right());
            }
            for (int y = 0; y < view.height(); ++y) {
                const bool shows = picture.top() <= mapping.pictureRowAt(y) && mapping.pictureRowAt(y) <= picture.bottom();
                QCOMPARE(shows, mapped.top() <= y && y <= mapped.bottom());
            }
        }
    }

    void checkerboardShowsThroughTransparency() {
        PixelSurface picture(4, 4);
        picture.fillRect(picture.bounds(), 0x00000000);
        picture.setPixel(3, 3, 0xFF102030);
        picture.setPixel(2, 0, 0x80FF0000);
        const ViewMapping mapping(QSize(4, 4), QSize(32, 32));
        const QImage image = renderViewRect(picture, mapping, QRect(0, 0, 32, 32), true, 0xFFC0C0C0);
        QCOMPARE(image.pixel(0, 0), ImageView::kCheckerGrey);
        QCOMPARE(image.pixel(8, 0), ImageView::kCheckerWhite);
        QCOMPARE(image.pixel(0, 8), ImageView::kCheckerWhite);
        QCOMPARE(image.pixel(8, 8), ImageView::kCheckerGrey);
        QCOMPARE(image.pixel(31, 31), QRgb(0xFF102030));
        // Half-transparent red over grey (cell (2, 0) is grey).
        const QRgb mixed = image.pixel(17, 1);
        QVERIFY(qAbs(qRed(mixed) - (255 + 0xB0) / 2) <= 1);
        QVERIFY(qAbs(qGreen(mixed) - 0xB0 / 2) <= 1);
    }

    void renderedRectMatchesCentreSampling() {
        PixelSurface picture(7, 5);
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 7; ++x) picture.setPixel(x, y, 0xFF000000u | (x * 30 << 16) | (y * 40));
        const ViewMapping mapping(QSize(7, 5), QSize(23, 13));
        const QRect area(3, 2, 15, 9);
        const QImage image = renderViewRect(picture, mapping, area, true, 0);
        for (int y = 0; y < area.height(); ++y)
            for (int x = 0; x < area.width(); ++x)
                QCOMPARE(image.pixel(x, y), QRgb(picture.pixel(mapping.pictureColumnAt(area.left() + x),
                                                               mapping.pictureRowAt(area.top() + y))));
    }
};

int main(int argc, char** argv) { return mugwarp::testing::runTests<ViewMappingTest>(argc, argv); }

#include "test_view_mapping.moc"
