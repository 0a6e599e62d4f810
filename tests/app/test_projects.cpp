#include <QAction>
#include <QFile>
#include <QFileInfo>

#include "app_test_support.h"
#include "edit/project_file.h"
#include "formats/gif_image.h"
#include "formats/file_io.h"
#include "support/document_checks.h"

using namespace mugwarp;
using namespace mugwarp::testing;

namespace {

void warpAt(TestWindow& w, QPoint from, QPoint to) {
    w->actions().putty->trigger();
    press(w->view(), from, Qt::LeftButton);
    moveHeld(w->view(), to, Qt::LeftButton);
    release(w->view(), to, Qt::LeftButton);
}

void openWarpAndPlaceBubble(TestWindow& w) {
    QVERIFY(w->openPicture(samplePortrait()));
    warpAt(w, QPoint(250, 250), QPoint(280, 260));
    PixelSurface bubble(30, 20);
    bubble.fillRect(bubble.bounds(), 0xFFFFFFFF);
    bubble.setDrawMode(DrawMode::Blend);
    w->overlays().add(Overlay(FloatRect{40.5f, 30, 70.5f, 50}, std::move(bubble)));
    w->selectArrowTool();
}

}  // namespace

class ProjectsTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;

    static void chooseSave(TestWindow& w, const QString& path) {
        w->setSaveFileChooser([path](QWidget*, const QString&) { return path; });
    }

private slots:
    void aSavedProjectReopensReadyToGoOnWarping() {
        const QString path = dir_.filePath(QStringLiteral("face.mugwarp"));
        QImage shown;
        QImage afterMore;
        {
            TestWindow w;
            openWarpAndPlaceBubble(w);
            shown = displayImage(*w);
            chooseSave(w, dir_.filePath(QStringLiteral("face")));  // the ending is added
            w->actions().saveProject->trigger();
            QVERIFY2(w.errors.isEmpty(), qPrintable(w.errors.join('\n')));
            QCOMPARE(shownTitle(*w), QStringLiteral("Mugwarp Studio 3.0  \"face.mugwarp\""));
            QVERIFY(!w->document().isModified());
            warpAt(w, QPoint(200, 300), QPoint(210, 290));
            afterMore = displayImage(*w);
        }
        TestWindow w;
        QVERIFY(w->openPicture(path));
        QVERIFY2(w.errors.isEmpty(), qPrintable(w.errors.join('\n')));
        QCOMPARE(displayImage(*w), shown);
        QCOMPARE(w->overlays().size(), std::size_t(1));
        QCOMPARE(w->overlays().at(0).location, (FloatRect{40.5f, 30, 70.5f, 50}));
        QVERIFY(!test::deformationIsIdentity(w->document()));
        QCOMPARE(QString::fromStdString(w->document().pictureFileName()), samplePortrait());
        // The same stroke as in the first sitting gives the same pixels.
        warpAt(w, QPoint(200, 300), QPoint(210, 290));
        QCOMPARE(displayImage(*w), afterMore);
        // Save (Ctrl+S) writes the project again, not a flat picture.
        w->actions().save->trigger();
        QVERIFY(isProjectFile(path.toStdString()));
        QVERIFY(!w->document().isModified());
        // Restore goes back to the photo the project began from.
        w->restore();
        QVERIFY(test::deformationIsIdentity(w->document()));
    }

    void damagedAndForeignProjectsKeepTheOpenPicture() {
        const QString good = dir_.filePath(QStringLiteral("good.mugwarp"));
        {
            TestWindow w;
            openWarpAndPlaceBubble(w);
            chooseSave(w, good);
            w->actions().saveProjectAs->trigger();
        }
        std::vector<std::uint8_t> bytes = readWholeFile(good.toStdString());
        bytes[bytes.size() / 2] ^= 1;
        const QString bad = dir_.filePath(QStringLiteral("bad.mugwarp"));
        writeFileAtomically(bad.toStdString(), bytes);
        TestWindow w;
        QVERIFY(w->openPicture(samplePortrait()));
        warpAt(w, QPoint(100, 100), QPoint(120, 100));
        const QImage before = displayImage(*w);
        QVERIFY(!w->openPicture(bad));
        QCOMPARE(w.errors.size(), 1);
        QVERIFY2(w.errors[0].startsWith(QStringLiteral("Cannot open \"") + bad + QStringLiteral("\". The project file is damaged: ")),
                 qPrintable(w.errors[0]));
        QCOMPARE(displayImage(*w), before);
        QCOMPARE(shownTitle(*w), QStringLiteral("Mugwarp Studio 3.0  \"*portrait.jpg\""));
        QVERIFY(w->document().isModified());
    }

    void exportAnimationWritesTheFramesAsked() {
        TestWindow w;
        openWarpAndPlaceBubble(w);
        AnimationOptions asked;
        w->setAnimationAsker([&asked](QWidget*, const AnimationOptions& current) {
            asked = current;
            return std::optional<AnimationOptions>(AnimationOptions{6, 50, true, true});
        });
        const QString path = dir_.filePath(QStringLiteral("morph.gif"));
        chooseSave(w, path);
        w->actions().exportAnimation->trigger();
        QVERIFY2(w.errors.isEmpty(), qPrintable(w.errors.join('\n')));
        QCOMPARE(asked.frames, 24);  // the defaults the first time
        GifImage gif;
        gif.load(readWholeFile(path.toStdString()));
        QCOMPARE(gif.frames.size(), std::size_t(10));
        QVERIFY(gif.looping);
        QCOMPARE(gif.frames[3].delay, 50);
        // The picture itself is not touched by an export.
        QVERIFY(w->document().isModified());
        w->setAnimationAsker([&asked](QWidget*, const AnimationOptions& current) {
            asked = current;
            return std::optional<AnimationOptions>();
        });
        w->actions().exportAnimation->trigger();
        QCOMPARE(asked.frames, 6);  // remembered
    }
};

int main(int argc, char** argv) { return mugwarp::testing::runTests<ProjectsTest>(argc, argv); }

#include "test_projects.moc"
