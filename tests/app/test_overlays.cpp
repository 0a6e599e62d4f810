#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "app/insert_text_dialog.h"
#include "app/overlay_controller.h"
#include "app_test_support.h"
#include "document/key_color.h"
#include "formats/picture_io.h"
#include "text/text_picture.h"

using namespace mugwarp;
using namespace mugwarp::testing;

namespace {

constexpr Argb kRed = 0xFFFF0000;

// A 30 x 20 picture: red, with its right half transparent when written as a GIF.
PixelSurface halfClearPicture() {
    PixelSurface picture(30, 20);
    picture.fillRect(picture.bounds(), kRed);
    picture.fillRect({15, 0, 30, 20}, 0x00000000);
    return picture;
}

void mouse(QWidget* w, QEvent::Type type, QPoint p, Qt::MouseButtons held, Qt::KeyboardModifiers mods = {}) {
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, QPointF(p), w->mapToGlobal(QPointF(p)), button, held, mods);
    QApplication::sendEvent(w, &event);
}

void drag(QWidget* w, QPoint from, QPoint to, Qt::KeyboardModifiers mods = {}) {
    mouse(w, QEvent::MouseButtonPress, from, Qt::LeftButton, mods);
    mouse(w, QEvent::MouseMove, to, Qt::LeftButton, mods);
    mouse(w, QEvent::MouseButtonRelease, to, Qt::NoButton, mods);
}

}  // namespace

class OverlaysTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    QString bmp_, gif_;
    QStringList questions_;

    void prepare(TestWindow& w, const QString& clipart, bool answerYes = true) {
        QVERIFY(w->openPicture(samplePortrait()));
        w->setOpenFileChooser([clipart](QWidget*, const QString&) { return clipart; });
        w->setQuestion([this, answerYes](QWidget*, const QString& caption, const QString& text) {
            questions_ << caption + QLatin1Char('|') + text;
            return answerYes;
        });
    }
    static const Overlay& only(TestWindow& w) { return w->overlays().at(w->overlays().size() - 1); }

private slots:
    void initTestCase() {
        bmp_ = writeBmp(dir_, QStringLiteral("hat.bmp"), imageFromSurface(halfClearPicture()));
        gif_ = dir_.filePath(QStringLiteral("hat.gif"));
        savePicture(halfClearPicture(), gif_.toStdString(), kDefaultKeyColor);
    }

    void eachKindIsPlacedCentredAtItsNaturalSize() {
        TestWindow w;
        prepare(w, bmp_);
        const QPoint centre = w->view()->viewToPicture(QPoint(256, 256));
        const FloatRect expected{centre.x() - 15.0f, centre.y() - 10.0f, centre.x() + 15.0f, centre.y() + 10.0f};
        QStringList folders;
        w->setOpenFileChooser([&](QWidget*, const QString& suggestion) {
            folders << suggestion;
            return bmp_;
        });
        w->actions().clipart->trigger();
        w->actions().talkBubble->trigger();
        QCOMPARE(folders, QStringList({QStringLiteral(MUGWARP_SOURCE_DIR "/data/Clipart/*"),
                                       QStringLiteral(MUGWARP_SOURCE_DIR "/data/Clipart/Talk Bubbles/*")}));
        QCOMPARE(w->overlays().size(), std::size_t(2));
        QVERIFY(only(w).location == expected);
        QCOMPARE(w->overlayController().selection(), std::optional<std::size_t>(1));
        QCOMPARE(only(w).picture->pixel(20, 5), Argb(0xFF000000));  // a BMP is opaque: no keying
        QVERIFY(questions_.isEmpty());
        // Drawn over the view; the frame's dashes lie on the overlay's edge.
        QCOMPARE(w->view()->grab().toImage().pixel(centre.x() - 10, centre.y()), QRgb(kRed));

        const TextStyle style{QFont(QStringLiteral("DejaVu Sans"), 20), QColor(Qt::blue)};
        w->setTextStyleChooser([&](QWidget*, const TextStyle&) { return style; });
        w->setTextAsker([](QWidget*) { return QStringLiteral("Boo!"); });
        w->actions().text->trigger();
        const PixelSurface text = textPicture(QStringLiteral("Boo!"), style);
        QCOMPARE(only(w).picture->width(), QFontMetrics(style.font).horizontalAdvance(QStringLiteral("Boo!")) + 15);
        QCOMPARE(only(w).picture->height(), QFontMetrics(style.font).height() + 5);
        QCOMPARE(only(w).location.right - only(w).location.left, float(text.width()));
        QCOMPARE(only(w).picture->pixel(text.width() - 1, 0), Argb(0x00FFFFFF));  // background keyed away
        // Cancelled font dialog and empty text insert nothing.
        w->setTextAsker([](QWidget*) { return QString(); });
        w->actions().text->trigger();
        w->setTextStyleChooser([](QWidget*, const TextStyle&) { return std::nullopt; });
        w->actions().text->trigger();
        QCOMPARE(w->overlays().size(), std::size_t(3));
    }

    void transparentGifQuestion_data() {
        QTest::addColumn<bool>("yes");
        QTest::newRow("Yes keys the transparent colour") << true;
        QTest::newRow("No loads it opaque") << false;
    }
    void transparentGifQuestion() {
        QFETCH(bool, yes);
        questions_.clear();
        TestWindow w;
        prepare(w, gif_, yes);
        QCOMPARE(w->document().source().outerColor(), kDefaultOuterColor);
        w->insertClipart();
        QCOMPARE(questions_, QStringList{QStringLiteral("Confirm|Transparent Image?")});
        QCOMPARE(alphaOf(only(w).picture->pixel(3, 3)), std::uint8_t(255));
        QCOMPARE(alphaOf(only(w).picture->pixel(20, 3)), std::uint8_t(yes ? 0 : 255));
        // A BMP/JPEG document takes its key as the outer colour: red 0xFF, blue 0xFD.
        QCOMPARE(w->document().source().outerColor(), yes ? Argb(0x00FFFEFD) : kDefaultOuterColor);
        if (!yes) return;
        // Places warped or erased to that colour still save as transparent in a GIF.
        PixelSurface erased(4, 1);
        erased.fillRect(erased.bounds(), kRed);
        erased.setPixel(1, 0, w->document().source().outerColor());
        const QString out = dir_.filePath(QStringLiteral("erased.gif"));
        savePicture(erased, out.toStdString(), w->document().keyColor());
        const GifPicture back = loadGifPicture(out.toStdString());
        QVERIFY(back.transparentColor.has_value());
        PixelSurface read;
        read.assign(back.composite);
        QCOMPARE(read.pixel(1, 0) & 0xFFFFFF, argbFromPlatform(*back.transparentColor, 0));
        QCOMPARE(read.pixel(0, 0) & 0xFFFFFF, kRed & 0xFFFFFF);
    }

    void undecodableClipartReportsAndLeavesNoLayer() {
        TestWindow w;
        const QString broken = dir_.filePath(QStringLiteral("broken.bmp"));
        QFile file(broken);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("BM not really");
        file.close();
        prepare(w, broken);
        w->actions().putty->trigger();
        w->actions().clipart->trigger();
        QCOMPARE(w.errors.size(), 1);
        QVERIFY(w->overlays().isEmpty());
        QCOMPARE(w->document().currentTool(), ToolCode::Arrow);
    }

    void insertTextDialogRules() {
        struct Case {
            const char* name;
            std::function<void(InsertTextDialog&)> end;
            QString expected;
        };
        const QList<Case> cases = {
            {"Ok", [](InsertTextDialog& d) { d.okButton()->click(); }, QStringLiteral("hello")},
            {"Return", [](InsertTextDialog& d) { QTest::keyClick(d.edit(), Qt::Key_Return); }, QStringLiteral("hello")},
            {"Cancel", [](InsertTextDialog& d) { d.cancelButton()->click(); }, QString()},
            {"Escape", [](InsertTextDialog& d) { QTest::keyClick(d.edit(), Qt::Key_Escape); }, QString()},
            {"close box", [](InsertTextDialog& d) { d.close(); }, QStringLiteral("hello")},
        };
        for (const Case& c : cases) {
            InsertTextDialog dialog;
            QCOMPARE(dialog.windowTitle(), QStringLiteral("Insert Text"));
            QCOMPARE(dialog.size(), QSize(446, 130));
            const QLabel* label = dialog.findChild<QLabel*>();
            QVERIFY(label && label->text() == QStringLiteral("Text:") && label->buddy() == dialog.edit());
            dialog.show();
            QTest::keyClicks(dialog.edit(), QStringLiteral("hello"));
            c.end(dialog);
            QVERIFY2(!dialog.isVisible(), c.name);
            QCOMPARE(dialog.text(), c.expected);
        }
    }

    void selectingMovingAndResizing() {
        TestWindow w;
        prepare(w, bmp_);
        w->insertClipart();
        QWidget* view = w->view();
        OverlayController& overlays = w->overlayController();
        const FloatRect start = only(w).location;  // 30 x 20
        const QPoint inside(int(start.left) + 5, int(start.top) + 5);

        // A warp tool neither selects nor drags.
        w->actions().putty->trigger();
        drag(view, inside, inside + QPoint(10, 10));
        QVERIFY(!overlays.selection());
        QVERIFY(only(w).location == start);

        w->selectArrowTool();
        drag(view, inside, inside + QPoint(7, -3));
        QCOMPARE(overlays.selection(), std::optional<std::size_t>(0));
        QVERIFY((only(w).location == FloatRect{start.left + 7, start.top - 3, start.right + 7, start.bottom - 3}));

        // Right edge far past the left one: one picture pixel is the least.
        FloatRect r = only(w).location;
        QRect frame = overlays.frameRect();
        drag(view, QPoint(frame.right(), frame.center().y()), QPoint(frame.left() - 50, frame.center().y()));
        QVERIFY((only(w).location == FloatRect{r.left, r.top, r.left + 1, r.bottom}));
        QCOMPARE(view->cursor().shape(), Qt::SizeHorCursor);

        // Ctrl: symmetric about the old centre, half extents at least 2.
        r = only(w).location;
        frame = overlays.frameRect();
        drag(view, frame.bottomRight(), frame.bottomRight() + QPoint(0, -40), Qt::ControlModifier);
        const float cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
        QVERIFY((only(w).location == FloatRect{cx - 2, cy - 2, cx + 2, cy + 2}));
        frame = overlays.frameRect();
        drag(view, frame.bottomRight(), frame.bottomRight() + QPoint(8, 6), Qt::ControlModifier);
        QVERIFY((only(w).location == FloatRect{cx - 10, cy - 8, cx + 10, cy + 8}));

        // A press beside every overlay drops the selection.
        drag(view, QPoint(5, 5), QPoint(5, 5));
        QVERIFY(!overlays.selection());
    }

    void deletingHidingReloadingAndOpening() {
        TestWindow w;
        prepare(w, bmp_);
        w->deleteSelection();  // nothing inserted, nothing selected: nothing happens
        w->insertClipart();
        w->insertClipart();
        w->overlayController().setSelection(std::nullopt);
        w->deleteSelection();
        QCOMPARE(w->overlays().size(), std::size_t(2));
        w->overlayController().setSelection(0);
        QTest::keyClick(&*w, Qt::Key_Delete);
        QCOMPARE(w->overlays().size(), std::size_t(1));
        QVERIFY(!w->overlayController().selection());

        const QPoint centre = w->view()->viewToPicture(QPoint(256, 256)) - QPoint(10, 0);
        const auto shown = [&] { return w->view()->grab().toImage().pixel(centre) == QRgb(kRed); };
        QVERIFY(shown());
        w->actions().warp->trigger();
        QVERIFY(!w->overlays().visible());
        QVERIFY(!shown());
        w->reload();
        QCOMPARE(w->overlays().size(), std::size_t(1));
        QVERIFY(shown());
        QVERIFY(w->openPicture(samplePortrait()));
        QVERIFY(w->overlays().isEmpty());
    }

    void saveDrawsOverlaysInAndKeepsThePicture() {
        TestWindow w;
        prepare(w, gif_, true);
        w->insertClipart();
        const FloatRect place = only(w).location;
        const QImage before = displayImage(*w);
        const QString path = dir_.filePath(QStringLiteral("with-hat.bmp"));
        w->setSaveFileChooser([path](QWidget*, const QString&) { return path; });
        w->actions().saveAs->trigger();
        QVERIFY(w.errors.isEmpty());
        QCOMPARE(displayImage(*w), before);
        QVERIFY(!w->overlayController().selection());
        PixelSurface written;
        written.assign(loadPicture(path.toStdString()));
        const int x = int(place.left), y = int(place.top);
        QCOMPARE(written.pixel(x + 2, y + 2), kRed);
        QCOMPARE(written.pixel(x + 20, y + 2), before.pixel(x + 20, y + 2));  // keyed half lets the picture through
    }
};

int main(int argc, char** argv) { return runTests<OverlaysTest>(argc, argv); }

#include "test_overlays.moc"
