#include <QAction>
#include <QElapsedTimer>
#include <QProcess>
#include <QStatusBar>
#include <csignal>
#include <filesystem>
#include <fstream>

#include "app/about_window.h"
#include "app/overlay_controller.h"
#include "app/recovery_keeper.h"
#include "edit/recovery_folder.h"
#include "app_test_support.h"

using namespace mugwarp;
using namespace mugwarp::testing;
namespace fs = std::filesystem;

namespace {

QStringList filesIn(const QString& folder, const QString& pattern) {
    return QDir(folder).entryList({pattern}, QDir::Files, QDir::Name);
}

StartupOptions withRecovery(const QString& folder, bool greeting = false) {
    StartupOptions options = StartupOptions::quick();
    options.recoveryFolder = folder;
    options.aboutAtFirstActivation = greeting;
    return options;
}

void stroke(MainWindow& w, int i) {
    w.actions().putty->trigger();
    const QPoint from(100 + 13 * i % 300, 120 + 7 * i % 250);
    press(w.view(), from, Qt::LeftButton);
    moveHeld(w.view(), from + QPoint(25, 9), Qt::LeftButton);
    release(w.view(), from + QPoint(25, 9), Qt::LeftButton);
}

QString overlayText(MainWindow& w) {
    QString text;
    for (std::size_t i = 0; i < w.overlays().size(); ++i) {
        const FloatRect r = w.overlays().at(i).location;
        text += QStringLiteral("%1 %2 %3 %4 %5x%6\n")
                    .arg(r.left)
                    .arg(r.top)
                    .arg(r.right)
                    .arg(r.bottom)
                    .arg(w.overlays().at(i).picture->width())
                    .arg(w.overlays().at(i).picture->height());
    }
    return text;
}

// The child editor: a picture, clipart dragged, twenty strokes (which makes
// the copy due), then it tells what it shows and waits to be killed.
int runChildEditor(const QString& folder, const QString& clipart, const QString& outDir) {
    MainWindow w(withRecovery(folder));
    w.setErrorReporter([](const QString& message) { qFatal("%s", qPrintable(message)); });
    w.setOpenFileChooser([clipart](QWidget*, const QString&) { return clipart; });
    w.resize(900, 700);
    w.show();
    if (!w.openPicture(samplePortrait())) return 2;
    w.actions().clipart->trigger();
    const QRect frame = w.overlayController().frameRect();
    press(w.view(), frame.center(), Qt::LeftButton);
    moveHeld(w.view(), frame.center() + QPoint(-40, 30), Qt::LeftButton);
    release(w.view(), frame.center() + QPoint(-40, 30), Qt::LeftButton);
    for (int i = 0; i < RecoveryKeeper::kStepsPerWrite; ++i) stroke(w, i);
    QCoreApplication::processEvents();
    w.recoveryKeeper()->writer().waitUntilIdle();
    displayImage(w).save(outDir + QStringLiteral("/shown.bmp"), "BMP");
    QFile overlays(outDir + QStringLiteral("/overlays.txt"));
    if (!overlays.open(QIODevice::WriteOnly)) return 3;
    overlays.write(overlayText(w).toUtf8());
    overlays.close();
    std::printf("ready\n");
    std::fflush(stdout);
    return QCoreApplication::exec();
}

}  // namespace

class RecoveryTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;

    QString freshFolder(const QString& name) {
        const QString folder = dir_.filePath(name);
        QDir(folder).removeRecursively();
        return folder;
    }

    // A window as the editor starts: the offer comes once start-up is over.
    struct Started {
        std::unique_ptr<MainWindow> window;
        QStringList offers, errors;
        bool aboutShownWhenAsked = false;
        explicit Started(const QString& folder, RecoveryAnswer answer, bool greeting = false)
            : window(new MainWindow(withRecovery(folder, greeting))) {
            window->setErrorReporter([this](const QString& message) { errors << message; });
            window->setSaveChangesQuestion([](QWidget*, const QString&) { return QMessageBox::Discard; });
            window->setRecoveryQuestion([this, answer](QWidget*, const QString& text) {
                offers << text;
                aboutShownWhenAsked = window->aboutWindow()->isVisible();
                return answer;
            });
            window->resize(900, 700);
            QSignalSpy started(window.get(), &MainWindow::startupFinished);
            window->show();
            QVERIFY(started.wait(5000) || started.count() == 1);
            QCoreApplication::processEvents();
        }
    };

private slots:
    void aKilledEditorsWorkComesBackWithItsOverlays() {
        const QString folder = freshFolder(QStringLiteral("killed"));
        const QString out = dir_.filePath(QStringLiteral("child"));
        QDir().mkpath(out);
        QImage hat(30, 20, QImage::Format_RGB32);
        hat.fill(QColor(200, 30, 60));
        const QString clipart = writeBmp(dir_, QStringLiteral("hat.bmp"), hat);

        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--child-editor"), folder, clipart, out});
        QVERIFY(child.waitForStarted());
        QByteArray said;
        QElapsedTimer waited;
        waited.start();
        while (!said.contains("ready") && child.state() == QProcess::Running && waited.elapsed() < 60000) {
            child.waitForReadyRead(500);
            said += child.readAllStandardOutput();
        }
        QCOMPARE(child.state(), QProcess::Running);
        QCOMPARE(filesIn(folder, QStringLiteral("*.mwrecovery")).size(), 1);
        ::kill(static_cast<pid_t>(child.processId()), SIGKILL);
        QVERIFY(child.waitForFinished());

        Started w(folder, RecoveryAnswer::Recover);
        QCOMPARE(w.offers.size(), 1);
        QVERIFY2(w.offers[0].startsWith(QStringLiteral("Recover the unsaved picture portrait.jpg from ")), qPrintable(w.offers[0]));
        QVERIFY(w.errors.isEmpty());
        QCOMPARE(displayImage(*w.window), QImage(out + QStringLiteral("/shown.bmp")).convertToFormat(displayImage(*w.window).format()));
        QFile overlays(out + QStringLiteral("/overlays.txt"));
        QVERIFY(overlays.open(QIODevice::ReadOnly));
        QCOMPARE(overlayText(*w.window), QString::fromUtf8(overlays.readAll()));
        QVERIFY(w.window->document().isModified());
        QCOMPARE(shownTitle(*w.window), QStringLiteral("Mugwarp Studio 3.0  \"*portrait.jpg\""));
        // The copy is this window's now: no one else is offered it, and a clean exit removes it.
        QCOMPARE(filesIn(folder, QStringLiteral("*.mwrecovery")).size(), 1);
        QVERIFY(findOrphanedRecoveries(folder.toStdString()).empty());
        w.window->close();
        w.window.reset();
        QVERIFY(filesIn(folder, QStringLiteral("*")).isEmpty());
    }

    void aDamagedCopyIsReportedAndKeptAside() {
        const QString folder = freshFolder(QStringLiteral("damaged"));
        QDir().mkpath(folder);
        std::ofstream(fs::path(folder.toStdString()) / "4242-1.mwrecovery") << "MWRECOV\nnot really";
        Started w(folder, RecoveryAnswer::Recover);
        QVERIFY(w.offers.isEmpty());
        QCOMPARE(w.errors.size(), 1);
        QVERIFY2(w.errors[0].contains(QStringLiteral("The recovery file is damaged")), qPrintable(w.errors[0]));
        QCOMPARE(filesIn(folder, QStringLiteral("*.damaged")), QStringList{QStringLiteral("4242-1.mwrecovery.damaged")});
        QVERIFY(!w.window->document().pictureLoaded());
    }

    // Save, Discard, undoing back to the saved picture, or leaving for another
    // picture take the copy away; Later keeps an ended editor's copy for next time.
    void theCopyLivesOnlyWhileThereAreUnsavedChanges() {
        const QString folder = freshFolder(QStringLiteral("clean"));
        const auto copies = [&] { return filesIn(folder, QStringLiteral("*.mwrecovery")).size(); };
        {
            Started w(folder, RecoveryAnswer::Later);
            QVERIFY(w.window->openPicture(samplePortrait()));
            RecoveryKeeper& keeper = *w.window->recoveryKeeper();
            stroke(*w.window, 1);
            keeper.writeNow();
            keeper.writer().waitUntilIdle();
            QCOMPARE(copies(), 1);
            w.window->undo();  // back to the picture as loaded
            keeper.writer().waitUntilIdle();
            QCOMPARE(copies(), 0);
            w.window->redo();
            keeper.writeNow();
            keeper.writer().waitUntilIdle();
            QCOMPARE(copies(), 1);
            w.window->close();  // answered Discard
            keeper.writer().waitUntilIdle();
            QCOMPARE(copies(), 0);
        }
        QVERIFY(filesIn(folder, QStringLiteral("*")).isEmpty());
        {
            // An editor that goes without closing its window leaves its copy.
            Started w(folder, RecoveryAnswer::Later);
            QVERIFY(w.window->openPicture(samplePortrait()));
            stroke(*w.window, 2);
            w.window->recoveryKeeper()->writeNow();
        }
        for (int start = 0; start < 2; ++start) {
            Started later(folder, RecoveryAnswer::Later);
            QCOMPARE(later.offers.size(), 1);
            QVERIFY(!later.window->document().pictureLoaded());
        }
        Started discard(folder, RecoveryAnswer::Discard);
        QCOMPARE(discard.offers.size(), 1);
        QCOMPARE(copies(), 0);
    }

    // The question about a leftover copy comes before the greeting, which
    // then shows over the window: shown first, it would end up under the
    // window, blocking it unseen.
    void theRecoveryQuestionComesBeforeTheGreeting() {
        const QString folder = freshFolder(QStringLiteral("greeting"));
        {
            Started w(folder, RecoveryAnswer::Later);
            QVERIFY(w.window->openPicture(samplePortrait()));
            stroke(*w.window, 3);
            w.window->recoveryKeeper()->writeNow();
            w.window->recoveryKeeper()->writer().waitUntilIdle();
        }
        Started greeted(folder, RecoveryAnswer::Recover, true);
        QCOMPARE(greeted.offers.size(), 1);
        QVERIFY(!greeted.aboutShownWhenAsked);
        QVERIFY(greeted.window->document().pictureLoaded());
        greeted.window->activateWindow();
        QTRY_VERIFY(greeted.window->aboutWindow()->isVisible());
        greeted.window->aboutWindow()->close();
        QVERIFY(greeted.window->isEnabled());
    }

    // A full disk mid-session: told once in the status bar and in a box that
    // leaves the window usable, tried again at the next interval, told again
    // only after a write has worked in between.
    void aFailedCopyIsToldOnceAndTriedAgain() {
        const QString folder = freshFolder(QStringLiteral("full"));
        QStringList errors;
        MainWindow window(withRecovery(folder));
        window.setErrorReporter([&](const QString& message) { errors << message; });
        window.resize(900, 700);
        window.show();
        QVERIFY(window.openPicture(samplePortrait()));
        window.actions().rotate180->trigger();  // an unsaved change, whatever the timing
        QVERIFY(window.document().isModified());
        RecoveryKeeper& keeper = *window.recoveryKeeper();
        const fs::path temporary = keeper.writer().file().string() + ".tmp";
        const auto noticeBox = [&] { return window.findChild<QMessageBox*>(QStringLiteral("recoveryNotice")); };
        const auto failOnce = [&] {
            fs::create_symlink("/dev/full", temporary);  // every write there ends in ENOSPC
            keeper.writeNow();
            keeper.writer().waitUntilIdle();
            QTRY_VERIFY(keeper.failing());
        };

        failOnce();
        QTRY_VERIFY(noticeBox() && noticeBox()->isVisible());
        QVERIFY(!noticeBox()->isModal());
        QVERIFY(window.isEnabled());
        QVERIFY2(noticeBox()->text().contains(folder) && noticeBox()->text().contains(QStringLiteral("No space left")),
                 qPrintable(noticeBox()->text()));
        QVERIFY(window.statusBar()->currentMessage().startsWith(QStringLiteral("Recovery copy not written: ")));
        QVERIFY(keeper.writeDue());
        QVERIFY(errors.isEmpty());
        noticeBox()->close();
        QTRY_VERIFY(!noticeBox());

        window.statusBar()->clearMessage();
        failOnce();
        QTest::qWait(50);
        QVERIFY(!noticeBox());
        QVERIFY(window.statusBar()->currentMessage().isEmpty());

        keeper.writeNow();  // the disk has room again
        keeper.writer().waitUntilIdle();
        QTRY_VERIFY(!keeper.failing());
        QVERIFY(fs::exists(keeper.writer().file()));
        failOnce();
        QTRY_VERIFY(noticeBox() && noticeBox()->isVisible());
        fs::remove(temporary);
    }

    // A recovery folder that cannot be made at start (a file in its way).
    void aFolderThatCannotBeMadeIsToldAtStart() {
        QFile blocker(dir_.filePath(QStringLiteral("blocker")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        const QString folder = dir_.filePath(QStringLiteral("blocker/recovery"));
        MainWindow window(withRecovery(folder));
        window.show();
        QVERIFY(!window.recoveryKeeper());
        QTRY_VERIFY(window.findChild<QMessageBox*>(QStringLiteral("recoveryNotice")));
        const QString text = window.findChild<QMessageBox*>(QStringLiteral("recoveryNotice"))->text();
        QVERIFY2(text.contains(folder), qPrintable(text));
    }
};

int main(int argc, char** argv) {
    if (argc == 5 && qstrcmp(argv[1], "--child-editor") == 0) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        Application app(argc, argv);
        return runChildEditor(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]),
                              QString::fromLocal8Bit(argv[4]));
    }
    return runTests<RecoveryTest>(argc, argv);
}

#include "test_recovery.moc"
