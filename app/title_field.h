#pragma once
// A one-line text field whose text the user can make at most `typedLimit` characters long by
// typing, pasting or dropping, while a text set by the program keeps its full length. A paste that
// does not fit is cut to fit; a field already longer than the limit can be shortened but not
// lengthened by the user.
#include <QLineEdit>

namespace lumira {

class TitleField : public QLineEdit {
    Q_OBJECT
public:
    explicit TitleField(int typedLimit, QWidget* parent = nullptr);

protected:
    bool event(QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    class Limiter;
    friend class Limiter;

    int typedLimit_;
    bool userInput_ = false;  // an edit by the user is being applied
    QString accepted_;        // the text before the edit being checked
};

} // namespace lumira
