#pragma once
#include <QUrl>
#include <QWidget>
#include <functional>

class QAction;
class QLabel;
class QTextBrowser;

namespace mugwarp {

// "Mugwarp Studio Help": the tutorial's HTML pages in the editor's own
// window, with Back, Forward and Contents, so that help shows on a desktop
// without a web browser too. A link at the top hands the page to the
// desktop's browser for those who prefer it; when none can take it, the
// window says so instead of leaving the user wondering.
class HelpWindow : public QWidget {
    Q_OBJECT
public:
    static inline const QString kTitle = QStringLiteral("Mugwarp Studio Help");

    // Hands a URL to the desktop; false when it could not even try. The
    // default runs xdg-open and reports its failure when it ends.
    using UrlOpener = std::function<bool(const QUrl&)>;

    explicit HelpWindow(QWidget* parent = nullptr);
    ~HelpWindow() override;

    // Shows the page (which becomes the start page) and brings the window forward.
    void showStartPage(const QUrl& page);
    void openInDesktopBrowser();
    void setUrlOpener(UrlOpener opener) { openUrl_ = std::move(opener); }

    QTextBrowser* browser() const { return browser_; }
    QAction* backAction() const { return back_; }
    QAction* forwardAction() const { return forward_; }
    QLabel* browserLink() const { return browserLink_; }
    // Empty unless something about the desktop's browser must be said.
    QString note() const;

private:
    void followLink(const QUrl& url);
    bool runDesktopOpener(const QUrl& url);
    void showNote(const QString& text);

    QTextBrowser* browser_;
    QAction* back_ = nullptr;
    QAction* forward_ = nullptr;
    QAction* contents_ = nullptr;
    QLabel* browserLink_ = nullptr;
    QLabel* note_ = nullptr;
    QUrl startPage_;
    UrlOpener openUrl_;
};

}  // namespace mugwarp
