#pragma once
#include <QDialog>

class QCheckBox;
class QPushButton;

namespace mugwarp {

class NumberEdit;

// The Image Size dialog: width and height within a tenth to ten times the
// picture's sides (10 to 5000), optionally kept in proportion. Made once and
// reused, so "Constrain Proportions" keeps its state between uses.
class ImageSizeDialog : public QDialog {
    Q_OBJECT
public:
    explicit ImageSizeDialog(QWidget* parent = nullptr);

    // Sets the start size, the limits and the fields for a picture.
    void prepare(int pictureWidth, int pictureHeight);
    bool accepted() const { return accepted_; }
    int chosenWidth() const;
    int chosenHeight() const;

    NumberEdit* widthEdit() const { return widthEdit_; }
    NumberEdit* heightEdit() const { return heightEdit_; }
    QCheckBox* constrainBox() const { return constrain_; }
    QPushButton* okButton() const { return ok_; }
    QPushButton* cancelButton() const { return cancel_; }

private:
    void widthChanged();
    void heightChanged();

    NumberEdit* widthEdit_ = nullptr;
    NumberEdit* heightEdit_ = nullptr;
    QCheckBox* constrain_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
    int startWidth_ = 0;
    int startHeight_ = 0;
    bool accepted_ = false;
    // Each edit's change sets the other one; the guards keep that from echoing back.
    bool widthGuard_ = false;
    bool heightGuard_ = false;
};

}  // namespace mugwarp
