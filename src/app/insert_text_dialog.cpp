#include "app/insert_text_dialog.h"

#include <QKeyEvent>
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
    edit_->setObjectName(QStringLiteral("Edit1"));
    edit_->setGeometry(16, 32, 417, 25);
    ok_->setObjectName(QStringLiteral("Button1"));
    ok_->setGeometry(248, 88, 75, 25);
    cancel_->setObjectName(QStringLiteral("Button2"));
    cancel_->setGeometry(344, 88, 75, 25);
    for (QPushButton* button : {ok_, cancel_}) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel_, &QPushButton::clicked, this, [this] {
        edit_->clear();
        reject();
    });
}

QString InsertTextDialog::text() const { return edit_->text(); }

// Enter and Escape belong to the line; only the buttons and the close box end the dialog.
void InsertTextDialog::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        event->accept();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

QString InsertTextDialog::askText(QWidget* parent) {
    InsertTextDialog dialog(parent);
    dialog.edit()->setFocus();
    dialog.exec();
    return dialog.text();
}

}  // namespace mugwarp
