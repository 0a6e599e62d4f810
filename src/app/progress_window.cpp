#include "app/progress_window.h"

#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

namespace mugwarp {

ProgressWindow::ProgressWindow(QWidget* parent)
    : QFrame(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("ProgressForm"));
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setLineWidth(4);
    QFont font(QStringLiteral("Tahoma"));
    font.setPointSize(8);
    setFont(font);

    label_ = new QLabel(this);
    label_->setObjectName(QStringLiteral("lblProgress"));
    label_->setAlignment(Qt::AlignCenter);
    label_->setFixedHeight(13);
    bar_ = new QProgressBar(this);
    bar_->setObjectName(QStringLiteral("ProgressBar"));
    bar_->setTextVisible(false);  // a smooth bar without a percentage
    bar_->setFixedSize(246, 12);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 4);
    layout->setSpacing(3);
    layout->addWidget(label_);
    layout->addWidget(bar_);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    move(603, 443);
}

void ProgressWindow::announce(const QString& filterName) {
    QString name = filterName;
    if (!name.endsWith(QStringLiteral("..."))) name += QStringLiteral("...");
    label_->setText(QStringLiteral("Applying Filter ") + name);
    show();
    raise();
    label_->repaint();
    setFocus();
}

void ProgressWindow::showMessage(const QString& text) {
    label_->setText(text);
    bar_->setRange(0, 1);
    bar_->setValue(0);
    show();
    raise();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void ProgressWindow::setProgress(int done, int total) {
    bar_->setRange(0, std::max(total, 0));
    bar_->setValue(std::clamp(done, 0, std::max(total, 0)));
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

QString ProgressWindow::caption() const { return label_->text(); }

}  // namespace mugwarp
