#pragma once
// Editor controls with the change semantics the windows rely on: a change handler runs only
// when the value really changes, whether the user or the program changed it.
#include <QComboBox>
#include <QSpinBox>

namespace lumira {

// A choose-only drop-down list. SetItemIndex ignores a position outside −1 .. count − 1 and keeps
// the selection (QComboBox::setCurrentIndex would clear it instead). itemIndexChanged(int) is the
// change notification.
class ListField : public QComboBox {
    Q_OBJECT
public:
    explicit ListField(QWidget* parent = nullptr);
    int ItemIndex() const { return currentIndex(); }
    void SetItemIndex(int index);
    // Replaces every entry; the selection is emptied without a notification when the old
    // position no longer exists, and kept (silently) otherwise.
    void ReplaceItems(const QStringList& items);

signals:
    void itemIndexChanged(int index);

private:
    bool replacing_ = false;
    int lastIndex_ = -1;
};

// A whole-number spin field. The user can type or step only within [userMin, userMax]; the
// program can set any value, which is shown and used unchanged. valueChanged fires on a real
// change only.
class SpinField : public QSpinBox {
    Q_OBJECT
public:
    SpinField(int userMin, int userMax, QWidget* parent = nullptr);
    void stepBy(int steps) override;

protected:
    QValidator::State validate(QString& input, int& pos) const override;
    StepEnabled stepEnabled() const override;

private:
    int userMin_;
    int userMax_;
};

} // namespace lumira
