#include "app/help_window.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeySequence>
#include <QLabel>
#include <QProcess>
#include <QStyle>
#include <QTextBrowser>
#include <QToolBar>
#include <QVBoxLayout>

namespace mugwarp {
namespace {

const QString kNoBrowser =
    QStringLiteral("No web browser could open this page on this desktop; it stays here in the help window.");

}  // namespace

HelpWindow::HelpWindow(QWidget* parent)
    : QWidget(parent, Qt::Window), browser_(new QTextBrowser(this)),
      openUrl_([this](const QUrl& url) { return runDesktopOpener(url); }) {
    setObjectName(QStringLiteral("helpWindow"));
    setWindowTitle(kTitle);
    resize(780, 680);

    auto* bar = new QToolBar(this);
    bar->setIconSize(QSize(16, 16));
    bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    back_ = bar->addAction(style()->standardIcon(QStyle::SP_ArrowBack), QStringLiteral("Back"));
    back_->setShortcut(QKeySequence::Back);
    forward_ = bar->addAction(style()->standardIcon(QStyle::SP_ArrowForward), QStringLiteral("Forward"));
    forward_->setShortcut(QKeySequence::Forward);
    contents_ = bar->addAction(style()->standardIcon(QStyle::SP_DirHomeIcon), QStringLiteral("Contents"));
    auto* stretch = new QWidget(bar);
    stretch->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    bar->addWidget(stretch);
    browserLink_ = new QLabel(QStringLiteral("<a href=\"browser\">Open in the web browser</a>"), bar);
    browserLink_->setObjectName(QStringLiteral("browserLink"));
    browserLink_->setContentsMargins(0, 0, 6, 0);
    bar->addWidget(browserLink_);
    back_->setEnabled(false);
    forward_->setEnabled(false);

    note_ = new QLabel(this);
    note_->setObjectName(QStringLiteral("helpNote"));
    note_->setWordWrap(true);
    note_->setContentsMargins(8, 4, 8, 4);
    note_->hide();

    browser_->setObjectName(QStringLiteral("helpBrowser"));
    // Links are followed here, and only pages of our own go into the browser.
    browser_->setOpenLinks(false);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(bar);
    layout->addWidget(note_);
    layout->addWidget(browser_, 1);

    connect(back_, &QAction::triggered, browser_, &QTextBrowser::backward);
    connect(forward_, &QAction::triggered, browser_, &QTextBrowser::forward);
    connect(contents_, &QAction::triggered, this, [this] { browser_->setSource(startPage_); });
    connect(browser_, &QTextBrowser::backwardAvailable, back_, &QAction::setEnabled);
    connect(browser_, &QTextBrowser::forwardAvailable, forward_, &QAction::setEnabled);
    connect(browser_, &QTextBrowser::anchorClicked, this, &HelpWindow::followLink);
    connect(browserLink_, &QLabel::linkActivated, this, [this] { openInDesktopBrowser(); });

    auto* close = new QAction(this);
    close->setShortcut(QKeySequence(Qt::Key_Escape));
    connect(close, &QAction::triggered, this, &QWidget::close);
    addAction(close);
}

HelpWindow::~HelpWindow() {
    // An opener still waiting for its browser is let go without a word.
    for (QProcess* process : findChildren<QProcess*>()) {
        process->disconnect(this);
        process->kill();
        process->waitForFinished(1000);
    }
}

void HelpWindow::showStartPage(const QUrl& page) {
    if (page != startPage_) {
        startPage_ = page;
        // The pages' style sheet is linked for web browsers; this browser
        // takes it as the document's default.
        QFile css(QFileInfo(page.toLocalFile()).dir().filePath(QStringLiteral("tutorial.css")));
        if (css.open(QIODevice::ReadOnly)) browser_->document()->setDefaultStyleSheet(QString::fromUtf8(css.readAll()));
        browser_->setSource(page);
        browser_->clearHistory();
    }
    if (!isVisible() && parentWidget()) {
        const QRect over = parentWidget()->frameGeometry();
        move(over.center() - rect().center());
    }
    show();
    raise();
    activateWindow();
}

void HelpWindow::followLink(const QUrl& url) {
    const QUrl target = browser_->source().resolved(url);
    if (target.isLocalFile() || target.scheme().isEmpty()) {
        browser_->setSource(target);
    } else if (!openUrl_(target)) {
        showNote(kNoBrowser);
    }
}

void HelpWindow::openInDesktopBrowser() {
    const QUrl page = browser_->source();
    if (page.isEmpty()) return;
    note_->hide();
    if (!openUrl_(page)) showNote(kNoBrowser);
}

// xdg-open's complaints belong in this window, not on the terminal the
// editor may have been started from.
bool HelpWindow::runDesktopOpener(const QUrl& url) {
    auto* process = new QProcess(this);
    process->setProcessChannelMode(QProcess::MergedChannels);
    connect(process, &QProcess::finished, this, [this, process](int exitCode, QProcess::ExitStatus status) {
        if (status != QProcess::NormalExit || exitCode != 0) showNote(kNoBrowser);
        process->deleteLater();
    });
    connect(process, &QProcess::errorOccurred, this, [this, process](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart) return;
        showNote(kNoBrowser);
        process->deleteLater();
    });
    process->start(QStringLiteral("xdg-open"), {url.toString()});
    return true;
}

void HelpWindow::showNote(const QString& text) {
    note_->setText(text);
    note_->show();
}

QString HelpWindow::note() const { return note_->isHidden() ? QString() : note_->text(); }

}  // namespace mugwarp
