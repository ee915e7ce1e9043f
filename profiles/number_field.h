#pragma once
// A whole-number spin field over the full 32-bit signed range, negative values included, for the
// profile editor's screen size and key codes.
#include <QSpinBox>

namespace lumira {

class NumberField : public QSpinBox {
    Q_OBJECT
public:
    NumberField(int initial, QWidget* parent = nullptr);

    // While the text is not a whole number (emptied, or a lone sign), value() still holds the last
    // whole number the field showed. Settle puts that number back into the text, so the field
    // shows what a save takes from it.
    void Settle();
};

} // namespace lumira
