#include "app/load_filters_dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>

namespace mugwarp {

LoadFiltersDialog::LoadFiltersDialog(Loader loader, QWidget* parent)
    : QDialog(parent), loader_(std::move(loader)), chooseFolder_([](QWidget* p) {
          return QFileDialog::getExistingDirectory(p, QStringLiteral("Select your PS plugin directory"), QString(),
                                                   QFileDialog::ShowDirsOnly);
      }) {
    setObjectName(QStringLiteral("LoadPluginForm"));
    setWindowTitle(QStringLiteral("Load Filters"));
    QFont font(QStringLiteral("Tahoma"));
    font.setPointSize(8);
    setFont(font);

    auto* group = new QGroupBox(QStringLiteral("Plug-In Directory"), this);
    group->setObjectName(QStringLiteral("GroupBox1"));
    group->setGeometry(6, 6, 345, 65);
    folder_ = new QLineEdit(group);
    folder_->setObjectName(QStringLiteral("Edit1"));
    folder_->setGeometry(16, 24, 313, 22);
    // The browse button sits at the right end of the folder field.
    folder_->setTextMargins(0, 0, 20, 0);
    browse_ = new QPushButton(QStringLiteral("..."), group);
    browse_->setObjectName(QStringLiteral("Button3"));
    browse_->setGeometry(309, 26, 18, 18);
    QFont bold = browse_->font();
    bold.setBold(true);
    browse_->setFont(bold);

    include_ = new QCheckBox(QStringLiteral("Include sub-directories"), this);
    include_->setObjectName(QStringLiteral("chkInclude"));
    include_->setGeometry(22, 78, 160, 20);
    include_->setChecked(true);
    load_ = new QPushButton(QStringLiteral("&Load"), this);
    load_->setObjectName(QStringLiteral("Button1"));
    load_->setGeometry(190, 78, 75, 25);
    load_->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cancel->setObjectName(QStringLiteral("Button2"));
    cancel->setGeometry(270, 78, 75, 25);
    setFixedSize(357, 109);

    connect(browse_, &QPushButton::clicked, this, &LoadFiltersDialog::browse);
    connect(load_, &QPushButton::clicked, this, &LoadFiltersDialog::loadAndClose);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void LoadFiltersDialog::browse() {
    const QString folder = chooseFolder_(this);
    if (!folder.isEmpty()) folder_->setText(folder);
}

void LoadFiltersDialog::loadAndClose() {
    const QString folder = folder_->text();
    if (!folder.isEmpty() && QFileInfo(folder).isDir()) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        loader_(folder, include_->isChecked());
        QApplication::restoreOverrideCursor();
    }
    accept();
}

}  // namespace mugwarp
