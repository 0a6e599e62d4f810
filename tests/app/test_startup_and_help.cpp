#include <QAction>
#include <QFileInfo>
#include <QLabel>
#include <QProcess>
#include <QTextBrowser>
#include <QSignalSpy>
#include <QTimer>
#include <QToolBar>
#include <QWindow>

#include "app/about_window.h"
#include "app/data_paths.h"
#include "app/error_reporter.h"
#include "app/help_window.h"
#include "app/picture_file_dialog.h"
#include "app/splash_window.h"
#include "app/startup_options.h"
#include "app_test_support.h"
#include "raster/error.h"

using namespace mugwarp;
using namespace mugwarp::testing;

namespace {

// A widget whose mouse handler fails, as a broken command would.
class FailingWidget : public QWidget {
protected:
    void mousePressEvent(QMouseEvent*) override { throw Error("Can't allocate VectorMap!"); }
};

}  // namespace

class StartupAndHelpTest : public QObject {
    Q_OBJECT
private slots:
    void commandLineSwitches() {
        qunsetenv("MUGWARP_QUICK_START");
        StartupOptions plain = StartupOptions::parse({QStringLiteral("mugwarp"), QStringLiteral("face.jpg")});
        QVERIFY(plain.waitAtStartup);
        QVERIFY(plain.aboutAtFirstActivation);
        QCOMPARE(plain.fileToOpen, QStringLiteral("face.jpg"));
        StartupOptions quick = StartupOptions::parse({QStringLiteral("mugwarp"), QStringLiteral("--quick")});
        QVERIFY(!quick.waitAtStartup);
        QVERIFY(!quick.aboutAtFirstActivation);
        QVERIFY(quick.fileToOpen.isEmpty());
        StartupOptions noAbout = StartupOptions::parse(
            {QStringLiteral("mugwarp"), QStringLiteral("--no-about"), QStringLiteral("--"), QStringLiteral("--odd.bmp")});
        QVERIFY(noAbout.waitAtStartup);
        QVERIFY(!noAbout.aboutAtFirstActivation);
        QCOMPARE(noAbout.fileToOpen, QStringLiteral("--odd.bmp"));
        const StartupOptions forToolkit = StartupOptions::parse({QStringLiteral("mugwarp"), QStringLiteral("-style"),
                                                                 QStringLiteral("fusion"), QStringLiteral("a.gif")});
        QVERIFY(!forToolkit.reply);
        QCOMPARE(forToolkit.fileToOpen, QStringLiteral("a.gif"));
        qputenv("MUGWARP_QUICK_START", "1");
        StartupOptions fromEnvironment = StartupOptions::parse({QStringLiteral("mugwarp")});
        QVERIFY(!fromEnvironment.waitAtStartup);
        QVERIFY(!fromEnvironment.aboutAtFirstActivation);
        qunsetenv("MUGWARP_QUICK_START");
    }

    // The editor itself, run where there is no display at all.
    void helpVersionAndMistakesAreAnsweredWithoutADisplay_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitStatus");
        QTest::addColumn<QString>("stdoutStart");
        QTest::addColumn<QString>("stderrStart");
        const QString usage = QStringLiteral("Usage: mugwarp [OPTION]... [FILE]");
        QTest::newRow("--help") << QStringList{QStringLiteral("--help")} << 0 << usage << QString();
        QTest::newRow("-h after a file") << QStringList{QStringLiteral("a.jpg"), QStringLiteral("-h")} << 0 << usage
                                         << QString();
        QTest::newRow("--version") << QStringList{QStringLiteral("--version")} << 0
                                   << QStringLiteral("Mugwarp Studio " MUGWARP_VERSION "\n") << QString();
        QTest::newRow("unknown option") << QStringList{QStringLiteral("--frobnicate")} << 2 << QString()
                                        << QStringLiteral("mugwarp: unknown option '--frobnicate'\n\n") + usage;
        QTest::newRow("two pictures") << QStringList{QStringLiteral("a.jpg"), QStringLiteral("b.jpg")} << 2
                                      << QString() << QStringLiteral("mugwarp: one picture at a time");
        QTest::newRow("toolkit option without its value")
            << QStringList{QStringLiteral("-platform")} << 2 << QString()
            << QStringLiteral("mugwarp: option '-platform' needs a value");
    }
    void helpVersionAndMistakesAreAnsweredWithoutADisplay() {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitStatus);
        QFETCH(QString, stdoutStart);
        QFETCH(QString, stderrStart);
        QProcess editor;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "MUGWARP_QUICK_START"})
            environment.remove(QString::fromLatin1(name));
        editor.setProcessEnvironment(environment);
        editor.start(QStringLiteral(MUGWARP_EDITOR), arguments);
        QVERIFY(editor.waitForFinished(20000));
        QCOMPARE(editor.exitStatus(), QProcess::NormalExit);
        QCOMPARE(editor.exitCode(), exitStatus);
        const QString out = QString::fromLocal8Bit(editor.readAllStandardOutput());
        const QString err = QString::fromLocal8Bit(editor.readAllStandardError());
        QVERIFY2(stdoutStart.isEmpty() ? out.isEmpty() : out.startsWith(stdoutStart), qPrintable(out));
        QVERIFY2(stderrStart.isEmpty() ? err.isEmpty() : err.startsWith(stderrStart), qPrintable(err));
    }

    void aboutShowsOnceAtTheFirstActivationAndBlocksTheWindow() {
        StartupOptions options = StartupOptions::quick();
        options.aboutAtFirstActivation = true;
        MainWindow window(options);
        window.show();
        window.activateWindow();
        QTRY_VERIFY(window.aboutWindow()->isVisible());
        QCOMPARE(window.aboutWindow()->size(), QSize(600, 308));
        QCOMPARE(window.aboutWindow()->closeButton()->geometry(), QRect(576, 0, 25, 25));
        QCOMPARE(QApplication::activeModalWidget(), window.aboutWindow());
        QTest::mouseClick(window.aboutWindow()->closeButton(), Qt::LeftButton);
        QTRY_VERIFY(!window.aboutWindow()->isVisible());
        QVERIFY(!QApplication::activeModalWidget());
        // Activating the window again does not bring the About window back.
        window.aboutWindow()->showCentred();
        window.aboutWindow()->close();
        window.activateWindow();
        QCoreApplication::processEvents();
        QTest::qWait(50);
        QVERIFY(!window.aboutWindow()->isVisible());
    }

    void helpAboutShowsTheSameWindowModally() {
        TestWindow w;
        bool sawIt = false;
        QTimer::singleShot(50, [&] {
            sawIt = w->aboutWindow()->isVisible() && w->aboutWindow()->isModal() &&
                    QApplication::activeModalWidget() == w->aboutWindow();
            w->aboutWindow()->close();
        });
        w->actions().about->trigger();
        QVERIFY(sawIt);
        QVERIFY(!QApplication::activeModalWidget());
    }

    // The greeting belongs to the main window: centred on it, it holds back
    // real clicks on it until Escape closes it, and then the window answers.
    void aboutIsAChildOfTheMainWindowThatEscapeCloses() {
        StartupOptions options = StartupOptions::quick();
        options.aboutAtFirstActivation = true;
        MainWindow window(options);
        int opensAsked = 0;
        window.setOpenFileChooser([&](QWidget*, const QString&) {
            ++opensAsked;
            return QString();
        });
        window.setGeometry(100, 100, 700, 480);
        window.show();
        window.activateWindow();
        AboutWindow* about = window.aboutWindow();
        QTRY_VERIFY(about->isVisible());
        QCOMPARE(about->parentWidget(), &window);
        QVERIFY(about->isWindow());
        QVERIFY(about->windowHandle()->transientParent() == window.windowHandle());
        const QPoint offCentre = about->frameGeometry().center() - window.frameGeometry().center();
        QVERIFY2(offCentre.manhattanLength() <= 2, qPrintable(QStringLiteral("%1,%2").arg(offCentre.x()).arg(offCentre.y())));

        QWidget* openButton = window.findChild<QToolBar*>(QStringLiteral("ToolBar1"))->widgetForAction(window.actions().open);
        const QPoint onOpen = openButton->mapTo(&window, openButton->rect().center());
        QTest::mouseClick(window.windowHandle(), Qt::LeftButton, Qt::NoModifier, onOpen);
        QCOMPARE(opensAsked, 0);
        QVERIFY(about->isVisible());

        QTest::keyClick(about, Qt::Key_Escape);
        QTRY_VERIFY(!about->isVisible());
        QVERIFY(window.isEnabled());
        QTest::mouseClick(window.windowHandle(), Qt::LeftButton, Qt::NoModifier, onOpen);
        QCOMPARE(opensAsked, 1);
    }

    void startupShowsTheSplashDuringThePause() {
        StartupOptions options = StartupOptions::quick();
        options.waitAtStartup = true;
        MainWindow window(options);
        QSignalSpy finished(&window, &MainWindow::startupFinished);
        bool splashSeen = false;
        QTimer::singleShot(400, [&] {
            for (QWidget* top : QApplication::topLevelWidgets())
                if (qobject_cast<SplashWindow*>(top) && top->isVisible()) splashSeen = true;
        });
        window.show();
        QVERIFY(finished.wait(10000));
        QVERIFY(splashSeen);
        for (QWidget* top : QApplication::topLevelWidgets())
            QVERIFY(!(qobject_cast<SplashWindow*>(top) && top->isVisible()));
        QVERIFY(!window.aboutWindow()->isVisible());
    }

    void titlesCarryNoAppendedApplicationName() {
        // A display name of its own would be appended by the desktop platforms
        // to every window title ("... 3.0 — Mugwarp Studio").
        QCOMPARE(QGuiApplication::applicationDisplayName(), QCoreApplication::applicationName());
    }

    void exitClosesTheWindow() {
        TestWindow w;
        w->actions().exit->trigger();
        QVERIFY(!w->isVisible());
    }

    void quickStartShowsNoAboutWindow() {
        TestWindow w;
        w->activateWindow();
        QTest::qWait(50);
        QVERIFY(!w->aboutWindow()->isVisible());
    }

    void splashIsOurPictureAndClosesOnAClick() {
        SplashWindow splash;
        splash.showNow();
        QCOMPARE(splash.size(), QSize(464, 335));
        QVERIFY(splash.isVisible());
        QTest::mouseClick(&splash, Qt::LeftButton, Qt::NoModifier, QPoint(20, 20));
        QVERIFY(!splash.isVisible());
    }

    // F1 shows the tutorial in the editor's own window; its link hands the page
    // to the desktop's browser, and a desktop without one is told so.
    void helpOpensInItsOwnWindowAndOffersTheBrowser() {
        TestWindow w;
        QList<QUrl> opened;
        bool browserStarts = true;
        w->setUrlOpener([&](const QUrl& url) {
            opened << url;
            return browserStarts;
        });
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&*w));
        QTest::keyClick(&*w, Qt::Key_F1);
        HelpWindow* help = w->helpWindow();
        QVERIFY(help->isVisible());
        QCOMPARE(help->windowTitle(), QStringLiteral("Mugwarp Studio Help"));
        const QUrl start = help->browser()->source();
        QVERIFY(start.isLocalFile() && start.toLocalFile().endsWith(QStringLiteral("help/index.html")));
        QVERIFY(help->browser()->toPlainText().contains(QStringLiteral("Mugwarp Studio tutorial")));
        QVERIFY(!help->backAction()->isEnabled());

        // A link inside the tutorial stays in the window, and Back returns.
        help->browser()->setSource(start.resolved(QUrl(QStringLiteral("#undo"))));
        QVERIFY(help->backAction()->isEnabled());
        help->backAction()->trigger();
        QCOMPARE(help->browser()->source(), start);
        QVERIFY(help->forwardAction()->isEnabled());

        emit help->browserLink()->linkActivated(QStringLiteral("browser"));
        QCOMPARE(opened, QList<QUrl>{start});
        QVERIFY(help->note().isEmpty());
        browserStarts = false;
        emit help->browserLink()->linkActivated(QStringLiteral("browser"));
        QVERIFY(help->note().startsWith(QStringLiteral("No web browser")));
        QVERIFY(help->isVisible());
        QVERIFY(w.errors.isEmpty());
    }

    void errorsOfAnyKindBecomeOneReport() {
        QStringList reports;
        const ErrorReporter record = [&](const QString& message) { reports << message; };
        runReportingErrors(record, [] { throw Error("JPEG error #53"); });
        runReportingErrors(record, [] { throw std::runtime_error("disk full"); });
        runReportingErrors(record, [] {});
        QCOMPARE(reports, (QStringList{QStringLiteral("JPEG error #53"), QStringLiteral("disk full")}));
    }

    void errorsEscapingAnEventHandlerAreShownAndTheAppGoesOn() {
        auto* app = qobject_cast<Application*>(QCoreApplication::instance());
        QVERIFY(app);
        QStringList reports;
        app->setErrorReporter([&](const QString& message) { reports << message; });
        FailingWidget widget;
        widget.resize(50, 50);
        widget.show();
        press(&widget, QPoint(5, 5), Qt::LeftButton);
        release(&widget, QPoint(5, 5), Qt::LeftButton);
        QCOMPARE(reports, QStringList{QStringLiteral("Can't allocate VectorMap!")});
        press(&widget, QPoint(6, 6), Qt::LeftButton);
        release(&widget, QPoint(6, 6), Qt::LeftButton);
        QCOMPARE(reports.size(), 2);
        app->setErrorReporter([](const QString& message) { qFatal("unreported error: %s", qPrintable(message)); });
    }

    void dialogsOfferThePictureFormats() {
        const QStringList open = PictureFileDialog::openFilters();
        QCOMPARE(open.size(), 8);
        for (const char* pattern : {"*.png", "*.webp", "*.heic", "*.avif", "*.mugwarp"})
            QVERIFY2(open[0].contains(QLatin1String(pattern)), pattern);
        QVERIFY(open[0].startsWith(QStringLiteral("All (")));
        QVERIFY(open[1].startsWith(QStringLiteral("CompuServe GIF Image (*.gif")));
        QVERIFY(open[2].startsWith(QStringLiteral("JPEG Image File (*.jpg")));
        QVERIFY(open[3].startsWith(QStringLiteral("Bitmaps (*.bmp")));
        const QStringList save = PictureFileDialog::saveFilters();
        QVERIFY(open[7].startsWith(QStringLiteral("Mugwarp Project (*.mugwarp")));
        QCOMPARE(save.size(), 7);
        QVERIFY(save[6].startsWith(QStringLiteral("Mugwarp Project (*.mugwarp")));
        QVERIFY(save[4].startsWith(QStringLiteral("PNG Image (*.png")));
        QVERIFY(save[5].startsWith(QStringLiteral("WebP Image (*.webp")));
        QVERIFY(save[2].startsWith(QStringLiteral("Portable Document Format (*.pdf")));
        PictureFileDialog dialog(nullptr, PictureFileDialog::Purpose::Open);
        QVERIFY(dialog.testOption(QFileDialog::DontUseNativeDialog));
        QVERIFY(dialog.previewLabel() != nullptr);
        dialog.showPreview(samplePortrait());
        QCOMPARE(dialog.previewLabel()->pixmap().size(), QSize(200, 200));
        dialog.showPreview(QStringLiteral(MUGWARP_SOURCE_DIR "/data/help/index.html"));
        QVERIFY(dialog.previewLabel()->pixmap().isNull());
    }
};

int main(int argc, char** argv) { return mugwarp::testing::runTests<StartupAndHelpTest>(argc, argv); }

#include "test_startup_and_help.moc"
