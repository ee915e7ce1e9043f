#include "profiles/number_field.h"

#include <QLineEdit>
#include <limits>

namespace lumira {

NumberField::NumberField(int initial, QWidget* parent) : QSpinBox(parent)
{
    setRange(std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
    setValue(initial);
    setKeyboardTracking(true);
    setCorrectionMode(QAbstractSpinBox::CorrectToPreviousValue);
}

void NumberField::Settle()
{
    if (!hasAcceptableInput()) lineEdit()->setText(textFromValue(value()));
}

} // namespace lumira
