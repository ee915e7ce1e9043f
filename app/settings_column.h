#pragma once
// The main window's settings column: the three groups of settings and the window's buttons, laid
// out by their captions, with the blue rule that separates the column from the preview.
#include <QWidget>

namespace lumira {

class SettingsColumn : public QWidget {
public:
    // The width the column keeps while the window is at the sizing rule's size.
    static constexpr int kRestingWidth = 386;

    using QWidget::QWidget;

    // The part of the window's width beyond the sizing rule's that the column takes: half of it,
    // until the column is half as wide again as at rest; the preview's column takes the rest.
    void ShareExtraWidth(int windowExtra);

    // Its resting width (or what its controls need, when more) with the share of extra width.
    QSize sizeHint() const override;

private:
    int extra_ = 0;
};

} // namespace lumira
