#include <QAction>
#include <QMimeData>
#include <QPushButton>
#include <QTimer>
#include <QWindow>

#include "app/overlay_controller.h"
#include "app_test_support.h"

using namespace mugwarp;
using namespace mugwarp::testing;

namespace {

void stroke(TestWindow& w, QPoint from, QPoint to) {
    w->actions().putty->trigger();
    press(w->view(), from, Qt::LeftButton);
    moveHeld(w->view(), to, Qt::LeftButton);
    release(w->view(), to, Qt::LeftButton);
}

// The ways a changed picture can be closed or replaced.
enum class Trigger { Exit, CloseBox, WindowManager, Open, Drop };

// Runs the trigger; the picture it would open instead is `other`.
void pull(TestWindow& w, Trigger trigger, const QString& other) {
    switch (trigger) {
    case Trigger::Exit:
        w->actions().exit->trigger();
        break;
    case Trigger::CloseBox:
        w->close();
        break;
    case Trigger::WindowManager:
        w->windowHandle()->close();
        break;
    case Trigger::Open:
        w->setOpenFileChooser([other](QWidget*, const QString&) { return other; });
        w->actions().open->trigger();
        break;
    case Trigger::Drop: {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(other)});
        QDragEnterEvent enter(QPoint(100, 100), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&*w, &enter);
        QDropEvent drop(QPointF(100, 100), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&*w, &drop);
        QCoreApplication::processEvents();
        break;
    }
    }
    QCoreApplication::processEvents();
}

}  // namespace

class UnsavedChangesTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    QString other_;

    // A changed picture opened from a BMP of our own (so Save can write it).
    QString openChanged(TestWindow& w, const QString& name) {
        const QString path = dir_.filePath(name);
        QFile::remove(path);
        const QImage picture = displayOf(samplePortrait());
        if (name.endsWith(QStringLiteral(".jfif")))
            picture.save(path, "JPEG");
        else
            QFile::copy(writeBmp(dir_, QStringLiteral("template.bmp"), picture), path);
        if (!w->openPicture(path)) return {};
        stroke(w, QPoint(200, 200), QPoint(240, 215));
        return path;
    }
    static QImage displayOf(const QString& path) {
        TestWindow w;
        w->openPicture(path);
        return displayImage(*w);
    }

private slots:
    void initTestCase() { other_ = writeBmp(dir_, QStringLiteral("other.bmp"), QImage(40, 30, QImage::Format_RGB32)); }

    void everyWayOfClosingAsksAndHonoursTheAnswer_data() {
        QTest::addColumn<Trigger>("trigger");
        QTest::addColumn<QMessageBox::StandardButton>("answer");
        const QList<QPair<const char*, Trigger>> triggers{{"exit", Trigger::Exit},
                                                          {"close box", Trigger::CloseBox},
                                                          {"window manager", Trigger::WindowManager},
                                                          {"open", Trigger::Open},
                                                          {"drop", Trigger::Drop}};
        for (const auto& [name, trigger] : triggers) {
            QTest::addRow("%s, save", name) << trigger << QMessageBox::Save;
            QTest::addRow("%s, discard", name) << trigger << QMessageBox::Discard;
            QTest::addRow("%s, cancel", name) << trigger << QMessageBox::Cancel;
        }
    }
    void everyWayOfClosingAsksAndHonoursTheAnswer() {
        QFETCH(Trigger, trigger);
        QFETCH(QMessageBox::StandardButton, answer);
        TestWindow w;
        const QString path = openChanged(w, QStringLiteral("face.bmp"));
        QVERIFY(!path.isEmpty());
        const QImage changed = displayImage(*w);
        const QDateTime written = QFileInfo(path).lastModified();
        w.answer = answer;
        QTest::qWait(15);  // a later time stamp for a file saved now
        pull(w, trigger, other_);

        QCOMPARE(w.questions, QStringList{QStringLiteral("Save changes to face.bmp before closing?")});
        const bool replacing = trigger == Trigger::Open || trigger == Trigger::Drop;
        const bool goesOn = answer != QMessageBox::Cancel;
        QCOMPARE(w->isVisible(), replacing || !goesOn);
        QCOMPARE(w->document().documentFileName() == other_.toStdString(), replacing && goesOn);
        if (!goesOn) {
            QCOMPARE(displayImage(*w), changed);  // nothing lost, still unsaved
            QVERIFY(w->document().isModified());
            QCOMPARE(shownTitle(*w), QStringLiteral("Mugwarp Studio 3.0  \"*face.bmp\""));
        }
        QCOMPARE(QFileInfo(path).lastModified() != written, answer == QMessageBox::Save);
        if (answer == QMessageBox::Save) {
            TestWindow reopened;
            QVERIFY(reopened->openPicture(path));
            QCOMPARE(displayImage(*reopened), changed);
        }
        QVERIFY(w.errors.isEmpty());
    }

    void aSaveThatFailsOrIsCancelledKeepsTheWindowOpen_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("unwritable");
        // Opened from .jfif, which no writer takes, so Save As asks, and is cancelled.
        QTest::newRow("save as cancelled") << QStringLiteral("face.jfif") << false;
        QTest::newRow("write fails") << QStringLiteral("face.bmp") << true;
    }
    void aSaveThatFailsOrIsCancelledKeepsTheWindowOpen() {
        QFETCH(QString, name);
        QFETCH(bool, unwritable);
        TestWindow w;
        const QString path = openChanged(w, name);
        QVERIFY(!path.isEmpty());
        if (unwritable) {
            // The file's place turns into a folder: nothing can be written there.
            QFile::remove(path);
            QVERIFY(QDir().mkdir(path));
        }
        w.answer = QMessageBox::Save;
        w->close();
        QVERIFY(w->isVisible());
        QVERIFY(w->document().isModified());
        QCOMPARE(w.errors.size(), unwritable ? 1 : 0);
        if (unwritable) QDir(path).removeRecursively();
    }

    void theRealQuestionBoxOffersSaveDiscardAndCancel() {
        TestWindow w;
        QVERIFY(!openChanged(w, QStringLiteral("box.bmp")).isEmpty());
        w->setSaveChangesQuestion(askSaveChanges);
        QString text;
        QMessageBox::StandardButtons buttons;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            text = box->text();
            buttons = box->standardButtons();
            box->button(QMessageBox::Cancel)->click();
        });
        w->close();
        QCOMPARE(text, QStringLiteral("Save changes to box.bmp before closing?"));
        QCOMPARE(buttons, QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
        QVERIFY(w->isVisible());
    }

    void anUnchangedPictureClosesWithoutAQuestion() {
        TestWindow w;
        QVERIFY(w->openPicture(samplePortrait()));
        w->close();
        QVERIFY(w.questions.isEmpty());
        QVERIFY(!w->isVisible());
    }

    void theTitleStarFollowsEditsUndoAndSave() {
        TestWindow w;
        const QString path = openChanged(w, QStringLiteral("star.bmp"));
        const QString clean = QStringLiteral("Mugwarp Studio 3.0  \"star.bmp\"");
        const QString changed = QStringLiteral("Mugwarp Studio 3.0  \"*star.bmp\"");
        QCOMPARE(shownTitle(*w), changed);
        w->undo();
        QCOMPARE(shownTitle(*w), clean);  // back where it was loaded
        w->redo();
        QCOMPARE(shownTitle(*w), changed);
        QVERIFY(w->save());
        QCOMPARE(shownTitle(*w), clean);
        w->undo();
        QCOMPARE(shownTitle(*w), changed);  // before the save is not what the file holds
        w->redo();
        QCOMPARE(shownTitle(*w), clean);
        w->rotateCanvas(Rotation::HalfTurn);
        QCOMPARE(shownTitle(*w), changed);
        // Saved as GIF (which reloads the picture) and as PDF, the picture counts as saved.
        for (const QString& name : {QStringLiteral("star.gif"), QStringLiteral("star.pdf")}) {
            stroke(w, QPoint(100, 100), QPoint(130, 100));
            w->setSaveFileChooser([&](QWidget*, const QString&) { return dir_.filePath(name); });
            QVERIFY(w->saveAs());
            QVERIFY2(!w->document().isModified(), qPrintable(name));
        }
        Q_UNUSED(path);
    }

    // Clipart in, a stroke, a drag of the clipart, another stroke, the clipart
    // deleted: Undo takes them back newest first, Redo brings them back in order.
    void overlayStepsAndStrokesShareOneHistory() {
        TestWindow w;
        QVERIFY(w->openPicture(samplePortrait()));
        const QString clipart = writeBmp(dir_, QStringLiteral("hat.bmp"), QImage(30, 20, QImage::Format_RGB32));
        w->setOpenFileChooser([clipart](QWidget*, const QString&) { return clipart; });

        struct State {
            QImage picture;
            std::vector<FloatRect> places;
        };
        const auto now = [&] {
            State s{displayImage(*w), {}};
            for (std::size_t i = 0; i < w->overlays().size(); ++i) s.places.push_back(w->overlays().at(i).location);
            return s;
        };
        std::vector<State> states{now()};
        w->actions().clipart->trigger();
        states.push_back(now());
        stroke(w, QPoint(60, 60), QPoint(90, 70));
        states.push_back(now());
        w->selectArrowTool();
        const QRect frame = [&] {
            w->overlayController().setSelection(0);
            return w->overlayController().frameRect();
        }();
        // One drag with several moves is one step.
        press(w->view(), frame.center(), Qt::LeftButton);
        for (int dx : {5, 10, 20}) moveHeld(w->view(), frame.center() + QPoint(dx, dx), Qt::LeftButton);
        release(w->view(), frame.center() + QPoint(20, 20), Qt::LeftButton);
        states.push_back(now());
        QVERIFY(!(states.back().places == states[2].places));
        stroke(w, QPoint(300, 300), QPoint(330, 310));
        states.push_back(now());
        w->selectArrowTool();
        w->overlayController().setSelection(0);
        w->deleteSelection();
        states.push_back(now());
        QVERIFY(w->overlays().isEmpty());

        const auto same = [&](std::size_t i) {
            const State s = now();
            return s.picture == states[i].picture && s.places == states[i].places;
        };
        for (std::size_t i = states.size() - 1; i-- > 0;) {
            w->undo();
            QVERIFY2(same(i), qPrintable(QStringLiteral("undo to state %1").arg(i)));
        }
        QVERIFY(!w->document().canUndo());
        QVERIFY(!w->document().isModified());
        for (std::size_t i = 1; i < states.size(); ++i) {
            w->redo();
            QVERIFY2(same(i), qPrintable(QStringLiteral("redo to state %1").arg(i)));
        }
        QVERIFY(w->document().isModified());
        QVERIFY(w.errors.isEmpty());
    }
};

int main(int argc, char** argv) { return runTests<UnsavedChangesTest>(argc, argv); }

#include "test_unsaved_changes.moc"
