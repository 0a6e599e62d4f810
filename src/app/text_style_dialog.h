#pragma once
#include <optional>

class QWidget;

namespace mugwarp {

struct TextStyle;

// The font dialog of Insert > Text, with a "Colour..." button for the text's
// colour. Returns the chosen style, or nullopt when cancelled.
std::optional<TextStyle> chooseTextStyle(QWidget* parent, const TextStyle& current);

}  // namespace mugwarp
