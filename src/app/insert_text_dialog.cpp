#include "app/insert_text_dialog.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace mugwarp {

InsertTextDialog::InsertTextDialog(QWidget* parent)
    : QDialog(parent), edit_(new QLineEdit(this)), ok_(new QPushButton(QStringLiteral("Ok"), this)),
      cancel_(new QPushButton(QStringLiteral("Cancel"), this)) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Insert Text"));
    setFixedSize(446, 130);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    auto* label = new QLabel(QStringLiteral("Text:"), this);
    label->setObjectName(QStringLiteral("Label1"));
    label->setGeometry(16, 10, 417, 20);
    label->setBuddy(edit_);
    edit_->setObjectName(QStringLiteral("Edit1"));
    edit_->setGeometry(16, 32, 417, 25);
    ok_->setObjectName(QStringLiteral("Button1"));
    ok_->setGeometry(248, 88, 75, 25);
    cancel_->setObjectName(QStringLiteral("Button2"));
    cancel_->setGeometry(344, 88, 75, 25);
    // Return presses Ok.
    cancel_->setAutoDefault(false);
    ok_->setAutoDefault(false);
    ok_->setDefault(true);
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel_, &QPushButton::clicked, this, [this] {
        edit_->clear();
        reject();
    });
}

QString InsertTextDialog::text() const { return edit_->text(); }

// Escape is Cancel, which empties the line; the close box keeps it.
void InsertTextDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        cancel_->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

QString InsertTextDialog::askText(QWidget* parent) {
    InsertTextDialog dialog(parent);
    dialog.edit()->setFocus();
    dialog.exec();
    return dialog.text();
}

}  // namespace mugwarp
