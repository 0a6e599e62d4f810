#include "app/image_size_dialog.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

#include "app/number_edit.h"
#include "document/canvas_operations.h"

namespace mugwarp {

ImageSizeDialog::ImageSizeDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("fsize"));
    setWindowTitle(QStringLiteral("Mugwarp Studio  2.2"));
    setFixedSize(342, 244);
    auto* group = new QGroupBox(QStringLiteral("Image Size"), this);
    group->setGeometry(8, 25, 324, 153);
    const auto addEdit = [group](const char* name, const QString& caption, int top) {
        auto* edit = new NumberEdit(group);
        edit->setObjectName(QString::fromLatin1(name));
        edit->setGeometry(24, top, 89, 21);
        auto* label = new QLabel(caption, group);
        label->setGeometry(167, top + 3, 140, 16);
        label->setBuddy(edit);
        return edit;
    };
    widthEdit_ = addEdit("Edit1", QStringLiteral("Image Width "), 32);
    heightEdit_ = addEdit("Edit2", QStringLiteral("Image Height "), 72);
    constrain_ = new QCheckBox(QStringLiteral("Constrain Proportions"), group);
    constrain_->setObjectName(QStringLiteral("CheckBox1"));
    constrain_->setGeometry(24, 112, 200, 17);
    constrain_->setChecked(true);
    ok_ = new QPushButton(QStringLiteral("Ok"), this);
    ok_->setObjectName(QStringLiteral("Button1"));
    ok_->setGeometry(40, 200, 75, 25);
    ok_->setDefault(true);
    cancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    cancel_->setObjectName(QStringLiteral("Button2"));
    cancel_->setGeometry(224, 200, 75, 25);
    connect(widthEdit_, &QLineEdit::textChanged, this, [this] { widthChanged(); });
    connect(heightEdit_, &QLineEdit::textChanged, this, [this] { heightChanged(); });
    connect(ok_, &QPushButton::clicked, this, [this] {
        accepted_ = true;
        accept();
    });
    connect(cancel_, &QPushButton::clicked, this, [this] {
        accepted_ = false;
        reject();
    });
}

void ImageSizeDialog::prepare(int pictureWidth, int pictureHeight) {
    accepted_ = false;
    startWidth_ = pictureWidth;
    startHeight_ = pictureHeight;
    const ImageSizeLimits limits = imageSizeLimits(pictureWidth, pictureHeight);
    widthEdit_->setRange(limits.minWidth, limits.maxWidth);
    heightEdit_->setRange(limits.minHeight, limits.maxHeight);
    widthEdit_->setText(QString::number(pictureWidth));
    heightEdit_->setText(QString::number(pictureHeight));
    widthEdit_->setFocus();
    widthEdit_->selectAll();
}

int ImageSizeDialog::chosenWidth() const { return widthEdit_->intValue(); }
int ImageSizeDialog::chosenHeight() const { return heightEdit_->intValue(); }

void ImageSizeDialog::widthChanged() {
    if (heightGuard_) return;
    widthGuard_ = true;
    if (constrain_->isChecked()) heightEdit_->setValue(proportionalSide(startWidth_, startHeight_, widthEdit_->intValue()));
    widthGuard_ = false;
}

void ImageSizeDialog::heightChanged() {
    if (widthGuard_) return;
    heightGuard_ = true;
    if (constrain_->isChecked()) widthEdit_->setValue(proportionalSide(startHeight_, startWidth_, heightEdit_->intValue()));
    heightGuard_ = false;
}

}  // namespace mugwarp
