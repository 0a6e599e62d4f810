#pragma once
#include <QLineEdit>

namespace mugwarp {

// A line edit for a whole number shown with thousands separators. Reading
// its value parses the text and clamps it into [minimum, maximum] once a range
// is set (a range of one value included); text that is not a number reads as
// the minimum. Every change of its text, typed or set, raises textChanged.
class NumberEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit NumberEdit(QWidget* parent = nullptr);

    void setRange(double minimum, double maximum);
    double minimum() const { return minimum_; }
    double maximum() const { return maximum_; }

    double value() const;
    // The value truncated toward zero, within what an int holds.
    int intValue() const;
    // Clamps, then shows the value with thousands separators and no decimals.
    void setValue(double value);

private:
    double clamped(double value) const;

    double minimum_ = 0;
    double maximum_ = 0;
    bool limited_ = false;
};

}  // namespace mugwarp
