#include <QApplication>
#include <QInputDialog>
#include <QWidget>

#include "prompt.h"

namespace filters {

Prompt askInteger(std::intptr_t parentWindow, const char* title, const char* label, int& value, int low, int high,
                  const Preview&) {
    if (parentWindow == 0 || !qobject_cast<QApplication*>(QCoreApplication::instance())) return Prompt::NoDisplay;
    QWidget* parent = QWidget::find(static_cast<WId>(parentWindow));
    bool ok = false;
    const int chosen = QInputDialog::getInt(parent, QString::fromUtf8(title), QString::fromUtf8(label), value, low,
                                            high, 1, &ok);
    if (!ok) return Prompt::Cancelled;
    value = chosen;
    return Prompt::Chosen;
}

}  // namespace filters
