#include "app/number_edit.h"

#include <QLocale>
#include <algorithm>
#include <cmath>
#include <limits>

namespace mugwarp {

NumberEdit::NumberEdit(QWidget* parent) : QLineEdit(parent) {
    setAlignment(Qt::AlignRight);
    // Typed digits get their separators once the user leaves the field.
    connect(this, &QLineEdit::editingFinished, this, [this] { setValue(value()); });
}

void NumberEdit::setRange(double minimum, double maximum) {
    minimum_ = minimum;
    maximum_ = maximum;
    limited_ = true;
}

// A one-value range still limits: a picture one pixel wide offers exactly
// ten pixels, not any width at all.
double NumberEdit::clamped(double v) const {
    if (!limited_) return v;
    return std::clamp(v, minimum_, maximum_);
}

int NumberEdit::intValue() const {
    const double v = std::trunc(value());
    return static_cast<int>(std::clamp(v, double(std::numeric_limits<int>::min()), double(std::numeric_limits<int>::max())));
}

double NumberEdit::value() const {
    QString digits = text().trimmed();
    const QLocale locale;
    digits.remove(locale.groupSeparator());
    bool ok = false;
    double v = locale.toDouble(digits, &ok);
    if (!ok) v = QLocale::c().toDouble(digits.remove(QLatin1Char(',')), &ok);
    if (!ok || !std::isfinite(v)) return minimum_;
    return clamped(v);
}

void NumberEdit::setValue(double v) {
    const double shown = std::trunc(clamped(v));
    const QString text = QLocale().toString(shown, 'f', 0);
    if (text != this->text()) setText(text);
}

}  // namespace mugwarp
