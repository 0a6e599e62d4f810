#include "app/animation_dialog.h"

#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QSpinBox>

namespace mugwarp {

std::optional<AnimationOptions> askAnimationOptions(QWidget* parent, const AnimationOptions& current) {
    QDialog dialog(parent);
    dialog.setWindowTitle(QStringLiteral("Export Animation"));
    auto* form = new QFormLayout(&dialog);
    auto* frames = new QSpinBox(&dialog);
    frames->setObjectName(QStringLiteral("frames"));
    frames->setRange(2, 500);
    frames->setValue(current.frames);
    frames->setToolTip(QStringLiteral("Frames from the undeformed picture to the result"));
    auto* delay = new QSpinBox(&dialog);
    delay->setObjectName(QStringLiteral("delay"));
    delay->setRange(10, 10000);
    delay->setSingleStep(10);
    delay->setSuffix(QStringLiteral(" ms"));
    delay->setValue(current.delayMs);
    auto* looping = new QCheckBox(QStringLiteral("Play again and again"), &dialog);
    looping->setObjectName(QStringLiteral("looping"));
    looping->setChecked(current.looping);
    auto* backAndForth = new QCheckBox(QStringLiteral("Back and forth"), &dialog);
    backAndForth->setObjectName(QStringLiteral("backAndForth"));
    backAndForth->setChecked(current.backAndForth);
    backAndForth->setToolTip(QStringLiteral("After the result, the frames again back to the undeformed picture"));
    form->addRow(QStringLiteral("Frames:"), frames);
    form->addRow(QStringLiteral("Delay per frame:"), delay);
    form->addRow(looping);
    form->addRow(backAndForth);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    form->addRow(buttons);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return AnimationOptions{frames->value(), delay->value(), looping->isChecked(), backAndForth->isChecked()};
}

}  // namespace mugwarp
