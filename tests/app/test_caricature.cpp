#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>

#include "app/caricature_panel.h"
#include "app/landmark_marks.h"
#include "app/status_line.h"
#include "app_test_support.h"
#include "face/face_messages.h"

using namespace mugwarp;
using namespace mugwarp::testing;

namespace {

// The first search also loads the 100 MB model.
constexpr int kSearchMs = 120000;

CaricaturePanel* openPanel(TestWindow& w) {
    w->actions().caricature->trigger();
    CaricaturePanel* panel = w->caricaturePanel();
    return panel;
}

}  // namespace

class CaricatureTest : public QObject {
    Q_OBJECT

private slots:
    // Runs first, before anything loads the model: without it the panel
    // says what to install, and the editor goes on as before.
    void aMissingModelIsNamedAndNothingElseBreaks() {
        qputenv("MUGWARP_FACE_MODEL", QByteArray("/nonexistent/face-model.dat"));
        TestWindow w;
        QVERIFY(w->openPicture(samplePortrait()));
        const QImage before = displayImage(*w);
        CaricaturePanel* panel = openPanel(w);
        QVERIFY(panel);
        QTRY_COMPARE_WITH_TIMEOUT(panel->messageLabel()->text(), QString::fromUtf8(face_messages::kModelMissing), kSearchMs);
        QVERIFY(!panel->slider(FaceFeature::Exaggerate)->isEnabled());
        QVERIFY(w->statusLine()->currentMessage().contains(QStringLiteral("libdlib-data")));
        panel->buttons()->button(QDialogButtonBox::Cancel)->click();
        QTRY_VERIFY(!w->caricaturePanel());
        QCOMPARE(displayImage(*w), before);
        QVERIFY(!w->actions().undo->isEnabled());
        // The brushes still work, and so does Undo.
        w->actions().putty->trigger();
        press(w->view(), QPoint(200, 200), Qt::LeftButton);
        moveHeld(w->view(), QPoint(230, 210), Qt::LeftButton);
        release(w->view(), QPoint(230, 210), Qt::LeftButton);
        QVERIFY(displayImage(*w) != before);
        w->actions().undo->trigger();
        QCOMPARE(displayImage(*w), before);
        qunsetenv("MUGWARP_FACE_MODEL");
    }

    void okMakesOneStepThatUndoesExactly() {
        TestWindow w;
        QVERIFY(w->openPicture(samplePortrait()));
        const QImage before = displayImage(*w);
        CaricaturePanel* panel = openPanel(w);
        QTRY_VERIFY_WITH_TIMEOUT(panel->facesFound(), kSearchMs);
        QVERIFY(!panel->faceChooser()->isEnabled());  // one face: nothing to choose
        // Found and shown with every slider at 0: nothing changed yet.
        QVERIFY(!w->document().isModified());
        QCOMPARE(displayImage(*w), before);
        // A number typed into its box and Return: the slider follows and the
        // panel stays open.
        auto* box = panel->findChildren<QSpinBox*>().at(int(FaceFeature::Exaggerate));
        box->setFocus();
        box->selectAll();
        QTest::keyClicks(box, QStringLiteral("200"));
        QTest::keyClick(box, Qt::Key_Return);
        QVERIFY(panel->isVisible());
        QCOMPARE(panel->slider(FaceFeature::Exaggerate)->value(), 200);
        panel->slider(FaceFeature::EyeSize)->setValue(40);
        panel->flushPreview();
        const QImage preview = displayImage(*w);
        QVERIFY(preview != before);
        panel->landmarksToggle()->setChecked(true);
        QVERIFY(panel->landmarkMarks()->isVisible());
        QCOMPARE(panel->landmarkMarks()->points().size(), std::size_t(68));
        panel->buttons()->button(QDialogButtonBox::Ok)->click();
        QTRY_VERIFY(!w->caricaturePanel());
        QCOMPARE(w->statusLine()->currentMessage(), QStringLiteral("Caricature: Exaggerate 200 %, Eye Size +40"));
        const QImage after = displayImage(*w);
        QVERIFY(after != before);
        QCOMPARE(w->document().historyUsage().undoSteps, 1);
        w->actions().undo->trigger();
        QCOMPARE(displayImage(*w), before);
        w->actions().redo->trigger();
        QCOMPARE(displayImage(*w), after);
    }

    void cancelAndResetLeaveThePictureAsItWas() {
        TestWindow w;
        QVERIFY(w->openPicture(samplePortrait()));
        const QImage before = displayImage(*w);
        CaricaturePanel* panel = openPanel(w);
        QTRY_VERIFY_WITH_TIMEOUT(panel->facesFound(), kSearchMs);
        panel->slider(FaceFeature::HeadSize)->setValue(100);
        panel->flushPreview();
        QVERIFY(displayImage(*w) != before);
        panel->buttons()->button(QDialogButtonBox::Reset)->click();
        QCOMPARE(panel->slider(FaceFeature::HeadSize)->value(), 0);
        QCOMPARE(displayImage(*w), before);
        panel->slider(FaceFeature::Smile)->setValue(-60);
        panel->flushPreview();
        panel->buttons()->button(QDialogButtonBox::Cancel)->click();
        QTRY_VERIFY(!w->caricaturePanel());
        QCOMPARE(displayImage(*w), before);
        QVERIFY(!w->actions().undo->isEnabled());
    }
};

int main(int argc, char** argv) { return runTests<CaricatureTest>(argc, argv); }
#include "test_caricature.moc"
