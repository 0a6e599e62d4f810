#include "app/text_style_dialog.h"

#include <QColorDialog>
#include <QFontDialog>
#include <QGroupBox>
#include <QLayout>
#include <QPushButton>

#include "text/text_picture.h"

namespace mugwarp {
namespace {

void showColour(QPushButton* button, const QColor& colour) {
    QPixmap swatch(16, 16);
    swatch.fill(colour);
    button->setIcon(QIcon(swatch));
}

}  // namespace

std::optional<TextStyle> chooseTextStyle(QWidget* parent, const TextStyle& current) {
    QFontDialog dialog(current.font, parent);
    dialog.setOption(QFontDialog::DontUseNativeDialog);
    QColor colour = current.color;
    auto* colourButton = new QPushButton(QStringLiteral("Colour..."), &dialog);
    colourButton->setObjectName(QStringLiteral("textColourButton"));
    showColour(colourButton, colour);
    QObject::connect(colourButton, &QPushButton::clicked, &dialog, [&] {
        const QColor chosen = QColorDialog::getColor(colour, &dialog, QStringLiteral("Colour"));
        if (!chosen.isValid()) return;
        colour = chosen;
        showColour(colourButton, colour);
    });
    // The effects box is the natural home of the colour; any layout will do otherwise.
    QGroupBox* effects = dialog.findChild<QGroupBox*>();
    if (effects && effects->layout()) {
        effects->layout()->addWidget(colourButton);
    } else if (dialog.layout()) {
        dialog.layout()->addWidget(colourButton);
    }
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return TextStyle{dialog.selectedFont(), colour};
}

}  // namespace mugwarp
