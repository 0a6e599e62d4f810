#include "app/filter_run_session.h"

#include <QCoreApplication>
#include <QEvent>
#include <QKeyEvent>

#include "app/progress_window.h"
#include "pshost/filter_abi.h"

namespace mugwarp {

FilterRunSession::FilterRunSession(ProgressWindow& progressWindow, QString filterName, ColorChooser chooseColor)
    : progress_(progressWindow), name_(std::move(filterName)), chooseColor_(std::move(chooseColor)) {
    QCoreApplication::instance()->installEventFilter(this);
}

FilterRunSession::~FilterRunSession() {
    // Keys still on their way belong to the run: they must not act afterwards.
    QCoreApplication::processEvents();
    QCoreApplication::instance()->removeEventFilter(this);
}

bool FilterRunSession::eventFilter(QObject* watched, QEvent* event) {
    if (choosingColor_) return QObject::eventFilter(watched, event);  // the colour dialog takes input
    switch (event->type()) {
        case QEvent::KeyPress:
            if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) escapePressed_ = true;
            return true;
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
        case QEvent::Close:  // the window must outlive the run it is in
            return true;
        default:
            return QObject::eventFilter(watched, event);
    }
}

void FilterRunSession::runnerStarting(const std::string& message) {
    progress_.showMessage(QString::fromStdString(message));
    showingStart_ = true;
}

void FilterRunSession::runnerStarted() {
    // Until the filter reports progress, its dialog may be up: nothing over it.
    if (showingStart_) progress_.hide();
    showingStart_ = false;
}

void FilterRunSession::progress(std::int32_t done, std::int32_t total) {
    if (!progress_.isVisible() || showingStart_) progress_.announce(name_);
    showingStart_ = false;
    progress_.setProgress(done, total);
}

bool FilterRunSession::testAbort() {
    QCoreApplication::processEvents();
    if (escapePressed_) progress_.hide();
    return escapePressed_;
}

void FilterRunSession::colorServices(ColorRequest& request) {
    if (request.selector != abi::kChooseColor || !chooseColor_) return;
    auto& c = request.components;
    const QColor initial(std::clamp<int>(c[0], 0, 255), std::clamp<int>(c[1], 0, 255), std::clamp<int>(c[2], 0, 255));
    choosingColor_ = true;
    const QColor chosen = chooseColor_(initial);
    choosingColor_ = false;
    if (!chosen.isValid()) return;
    c[0] = std::int16_t(chosen.red());
    c[1] = std::int16_t(chosen.green());
    c[2] = std::int16_t(chosen.blue());
}

}  // namespace mugwarp
