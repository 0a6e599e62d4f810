#include "app/status_line.h"

#include <QLabel>

#include "app/tool_table.h"

namespace mugwarp {
namespace {

QLabel* addLabel(QStatusBar* bar, const char* name, bool permanent) {
    auto* label = new QLabel(bar);
    label->setObjectName(QString::fromLatin1(name));
    label->setContentsMargins(4, 0, 4, 0);
    if (permanent) bar->addPermanentWidget(label);
    else bar->addWidget(label, 1);
    return label;
}

}  // namespace

StatusLine::StatusLine(QWidget* parent) : QStatusBar(parent) {
    setObjectName(QStringLiteral("StatusBar1"));
    tool_ = addLabel(this, "toolHint", false);
    size_ = addLabel(this, "pictureSize", true);
    zoom_ = addLabel(this, "zoomPercent", true);
    // Wide enough for "500 %" from the start, so that zooming does not shift the size.
    zoom_->setMinimumWidth(zoom_->fontMetrics().horizontalAdvance(QStringLiteral("500 %")) + 8);
    zoom_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    showTool(ToolCode::Arrow, false);
}

void StatusLine::showTool(ToolCode tool, bool pictureLoaded) {
    if (!pictureLoaded) {
        tool_->setText(QStringLiteral("Open a picture with File \u203a Open (Ctrl+O), or drop one on the window"));
        return;
    }
    const ToolEntry* help = toolEntry(tool);
    if (help == nullptr) {
        tool_->clear();
        return;
    }
    tool_->setText(QStringLiteral("%1: %2").arg(QString::fromUtf8(help->name), QString::fromUtf8(help->hint)));
}

void StatusLine::showPicture(QSize size, int zoomPercent) {
    if (size.isEmpty()) {
        size_->clear();
        zoom_->clear();
        return;
    }
    size_->setText(QStringLiteral("%1 \u00d7 %2 pixels").arg(size.width()).arg(size.height()));
    zoom_->setText(QStringLiteral("%1 %").arg(zoomPercent));
}

QString StatusLine::toolText() const { return tool_->text(); }
QString StatusLine::sizeText() const { return size_->text(); }
QString StatusLine::zoomText() const { return zoom_->text(); }

}  // namespace mugwarp
