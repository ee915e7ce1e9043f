#include "app/title_field.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QPointer>
#include <QValidator>

namespace lumira {

// Checks each change before the field takes it. Only edits made by the user are limited: they may
// not make the text longer than the limit or than it already was. The overflow is taken off the
// characters just inserted, which end at the cursor.
class TitleField::Limiter : public QValidator {
public:
    explicit Limiter(TitleField* field) : QValidator(field), field_(field) {}

    State validate(QString& input, int& pos) const override
    {
        if (!field_->userInput_) return Acceptable;
        const qsizetype limit = std::max<qsizetype>(field_->typedLimit_, field_->accepted_.size());
        qsizetype excess = input.size() - limit;
        if (excess <= 0) return Acceptable;
        qsizetype end = std::clamp<qsizetype>(pos, excess, input.size());
        qsizetype start = end - excess;
        // Never split a surrogate pair: take the whole pair off.
        if (start > 0 && input[start].isLowSurrogate() && input[start - 1].isHighSurrogate()) --start;
        QString cut = input;
        cut.remove(start, end - start);
        // Nothing of the insertion is left: refuse the edit so the field keeps its state untouched.
        if (cut == field_->accepted_) return Invalid;
        input = cut;
        pos = static_cast<int>(start);
        return Acceptable;
    }

private:
    TitleField* field_;
};

TitleField::TitleField(int typedLimit, QWidget* parent) : QLineEdit(parent), typedLimit_(typedLimit)
{
    setValidator(new Limiter(this));
    connect(this, &QLineEdit::textChanged, this, [this](const QString& text) { accepted_ = text; });
}

bool TitleField::event(QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::InputMethod:
    case QEvent::Drop:
    case QEvent::MouseButtonRelease:  // a middle click pastes the selection
    {
        const bool outer = userInput_;
        userInput_ = true;
        const bool result = QLineEdit::event(event);
        userInput_ = outer;
        return result;
    }
    default:
        return QLineEdit::event(event);
    }
}

void TitleField::contextMenuEvent(QContextMenuEvent* event)
{
    // The menu runs here rather than on its own, so that its Paste counts as the user's edit.
    QPointer<QMenu> menu = createStandardContextMenu();
    if (!menu) return;
    userInput_ = true;
    menu->exec(event->globalPos());
    userInput_ = false;
    delete menu;
}

} // namespace lumira
