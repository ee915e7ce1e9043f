#include "platform/controls.h"

#include <QLineEdit>
#include <climits>

namespace lumira {

ListField::ListField(QWidget* parent) : QComboBox(parent)
{
    setEditable(false);
    connect(this, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (replacing_ || index == lastIndex_) return;
        lastIndex_ = index;
        emit itemIndexChanged(index);
    });
}

void ListField::SetItemIndex(int index)
{
    if (index < -1 || index >= count()) return;
    setCurrentIndex(index);
}

void ListField::ReplaceItems(const QStringList& items)
{
    const int keep = currentIndex();
    replacing_ = true;
    clear();
    addItems(items);
    setCurrentIndex(keep < count() ? keep : -1);
    replacing_ = false;
    if (currentIndex() != lastIndex_) {
        lastIndex_ = currentIndex();
        emit itemIndexChanged(lastIndex_);
    }
}

SpinField::SpinField(int userMin, int userMax, QWidget* parent)
    : QSpinBox(parent), userMin_(userMin), userMax_(userMax)
{
    setRange(INT_MIN / 2, INT_MAX / 2);
    setValue(userMin <= 0 && 0 <= userMax ? 0 : userMin);
    setKeyboardTracking(true);
}

void SpinField::stepBy(int steps)
{
    const long long next = static_cast<long long>(value()) + steps;
    setValue(static_cast<int>(std::clamp<long long>(next, userMin_, userMax_)));
}

QValidator::State SpinField::validate(QString& input, int& pos) const
{
    const QValidator::State base = QSpinBox::validate(input, pos);
    if (base == QValidator::Invalid || input.isEmpty()) return base;
    bool ok = false;
    const int v = input.toInt(&ok);
    if (!ok) return QValidator::Intermediate;
    // A value set by the program may stand outside the user's range; typing may not reach one.
    if (v == value()) return QValidator::Acceptable;
    if (v > userMax_) return QValidator::Invalid;
    if (v < userMin_) return v < 0 && userMin_ >= 0 ? QValidator::Invalid : QValidator::Intermediate;
    return QValidator::Acceptable;
}

QAbstractSpinBox::StepEnabled SpinField::stepEnabled() const
{
    StepEnabled flags = StepNone;
    if (value() < userMax_) flags |= StepUpEnabled;
    if (value() > userMin_) flags |= StepDownEnabled;
    return flags;
}

} // namespace lumira
