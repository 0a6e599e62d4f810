#pragma once
#include <QDialog>

class QLineEdit;
class QPushButton;

namespace mugwarp {

// "Insert Text": one line of text with "Ok" (Return) and "Cancel" (Escape).
// "Cancel" empties the line before closing, while the close box keeps what
// was typed (which is then inserted).
class InsertTextDialog : public QDialog {
    Q_OBJECT
public:
    explicit InsertTextDialog(QWidget* parent = nullptr);

    QString text() const;
    QLineEdit* edit() const { return edit_; }
    QPushButton* okButton() const { return ok_; }
    QPushButton* cancelButton() const { return cancel_; }

    // Shows a fresh dialog modally and returns the text to insert (empty: none).
    static QString askText(QWidget* parent);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QLineEdit* edit_;
    QPushButton* ok_;
    QPushButton* cancel_;
};

}  // namespace mugwarp
