// The settings column of the main window: its controls in rows, each label before its field, in
// the order of the window's Tab key; the Create row with its progress and its status line.
#include "app/main_window.h"
#include "app/settings_column.h"

#include "app/access_letters.h"
#include "app/create_panel.h"
#include "app/pictures.h"
#include "app/title_field.h"

#include <QAction>
#include <QBoxLayout>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>
#include <algorithm>

namespace lumira {

namespace {

constexpr int kTitleTypedLimit = 20;
// The column's margins: its groups begin 7 pixels under the banner, 8 from the window's left
// edge, and end 11 pixels before the blue rule at its right edge.
constexpr int kLeft = 8;
constexpr int kTop = 7;
constexpr int kRightOfFields = 11;
constexpr int kRuleWidth = 2;
// The labels before the fields of the first group take at least this much, so that the fields
// begin at 64; those of the third group at least this much, so that its lists begin at 228.
constexpr int kMainLabelWidth = 54;
constexpr int kMoreLabelWidth = 218;
constexpr int kMoreListWidth = 141;
// The buttons' least size, and the font sample's box.
constexpr QSize kButtonSize(75, 25);
constexpr QSize kFontSampleSize(125, 45);
constexpr int kSpinWidth = 57;
constexpr int kInfoSide = 32;
constexpr int kProgressWidth = 100;

QFont Bold(QFont font)
{
    font.setBold(true);
    return font;
}

// A thin blue rule; it stretches along the layout that holds it.
QWidget* Rule(QWidget* parent, Qt::Orientation along)
{
    auto* rule = new QWidget(parent);
    rule->setAutoFillBackground(true);
    QPalette palette = rule->palette();
    palette.setColor(QPalette::Window, PictureBlue());
    rule->setPalette(palette);
    if (along == Qt::Horizontal) {
        rule->setFixedHeight(kRuleWidth);
        rule->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    } else {
        rule->setFixedWidth(kRuleWidth);
        rule->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
    }
    return rule;
}

// A group's bold heading with a rule from its end to the column's right edge.
QHBoxLayout* Heading(QWidget* parent, const QString& text)
{
    auto* heading = new QLabel(text, parent);
    heading->setFont(Bold(parent->font()));
    auto* row = new QHBoxLayout;
    row->setSpacing(6);
    row->addWidget(heading);
    row->addWidget(Rule(parent, Qt::Horizontal), 1, Qt::AlignVCenter);
    return row;
}

QPushButton* Button(const QString& text, const char* name, QWidget* parent)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setMinimumSize(kButtonSize);
    return button;
}

} // namespace

void SettingsColumn::ShareExtraWidth(int windowExtra)
{
    const int extra = std::clamp(windowExtra / 2, 0, kRestingWidth / 2);
    if (extra == extra_) return;
    extra_ = extra;
    updateGeometry();
}

QSize SettingsColumn::sizeHint() const
{
    QSize hint = QWidget::sizeHint();
    hint.setWidth(std::max(kRestingWidth, minimumSizeHint().width()) + extra_);
    return hint;
}

SettingsColumn* MainWindow::CreateSettingsColumn(QWidget* parent)
{
    auto* column = new SettingsColumn(parent);
    column->setObjectName(QStringLiteral("settingsColumn"));
    column->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    auto label = [column](const QString& text, Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter) {
        auto* l = new QLabel(text, column);
        l->setAlignment(align);
        return l;
    };

    // ---- The first group: the title, the text, the phone ----
    QLabel* titleLabel = label(tr("Название"));
    e_caption = new TitleField(kTitleTypedLimit, column);
    e_caption->setObjectName(QStringLiteral("e_caption"));
    titleWarning = e_caption->addAction(style()->standardIcon(QStyle::SP_MessageBoxWarning), QLineEdit::TrailingPosition);
    titleWarning->setObjectName(QStringLiteral("titleWarning"));
    titleWarning->setVisible(false);

    QLabel* textLabel = label(tr("Текст"));
    e_text = new QLineEdit(column);
    e_text->setObjectName(QStringLiteral("e_text"));
    e_text->setReadOnly(true);
    e_text_button = new QToolButton(e_text);
    e_text_button->setText(QStringLiteral("…"));
    e_text_button->setToolTip(QStringLiteral("Ctrl+O"));
    e_text_button->setCursor(Qt::ArrowCursor);
    e_text_button->setFocusPolicy(Qt::TabFocus);
    CreateRecentMenu();
    CreateEncodingButton();

    QLabel* profileLabel = label(tr("Профиль"));
    e_model = new ListField(column);
    e_model->setObjectName(QStringLiteral("e_model"));
    b_profiles = Button(tr("Профили"), "b_profiles", column);

    auto* mainGrid = new QGridLayout;
    mainGrid->setHorizontalSpacing(2);
    mainGrid->setVerticalSpacing(7);
    mainGrid->setColumnMinimumWidth(0, kMainLabelWidth);
    mainGrid->setColumnStretch(1, 1);
    mainGrid->addWidget(titleLabel, 0, 0);
    mainGrid->addWidget(e_caption, 0, 1, 1, 2);
    mainGrid->addWidget(textLabel, 1, 0);
    mainGrid->addWidget(e_text, 1, 1, 1, 2);
    mainGrid->addWidget(profileLabel, 2, 0);
    mainGrid->addWidget(e_model, 2, 1);
    mainGrid->addWidget(b_profiles, 2, 2);

    // ---- The second group: the font and the background at the left, the sample of both beside
    // them, the cuts at the right ----
    b_font = Button(tr("Шрифт"), "b_font", column);
    b_back = Button(tr("Фон"), "b_back", column);
    // The sample's box keeps its size: the sample's font is fitted to it.
    font_label = label(QString(), Qt::AlignCenter);
    font_label->setObjectName(QStringLiteral("font_label"));
    font_label->setFixedSize(kFontSampleSize);
    font_label->setWordWrap(true);
    font_label->setAutoFillBackground(true);
    QLabel* upperLabel = label(tr("Подрезка сверху"), Qt::AlignRight | Qt::AlignVCenter);
    e_upper_cut = new SpinField(0, 10, column);
    e_upper_cut->setObjectName(QStringLiteral("e_upper_cut"));
    QLabel* bottLabel = label(tr("Подрезка снизу"), Qt::AlignRight | Qt::AlignVCenter);
    e_bott_cut = new SpinField(0, 10, column);
    e_bott_cut->setObjectName(QStringLiteral("e_bott_cut"));
    for (SpinField* cut : {e_upper_cut, e_bott_cut}) cut->setMinimumWidth(kSpinWidth);

    auto* fontGrid = new QGridLayout;
    fontGrid->setHorizontalSpacing(5);
    fontGrid->setVerticalSpacing(3);
    fontGrid->addWidget(b_font, 0, 0);
    fontGrid->addWidget(b_back, 1, 0);
    fontGrid->addWidget(font_label, 0, 1, 2, 1, Qt::AlignCenter);
    // Room the row has beyond its controls' goes between the sample and the cuts.
    fontGrid->addItem(new QSpacerItem(0, 0, QSizePolicy::Expanding, QSizePolicy::Minimum), 0, 2);
    fontGrid->addWidget(upperLabel, 0, 3);
    fontGrid->addWidget(e_upper_cut, 0, 4);
    fontGrid->addWidget(bottLabel, 1, 3);
    fontGrid->addWidget(e_bott_cut, 1, 4);

    // ---- The third group: the system line and the hyphenation ----
    QLabel* syslineLabel = label(tr("Отображать системную полосу"));
    e_sysline = new ListField(column);
    e_sysline->setObjectName(QStringLiteral("e_sysline"));
    e_sysline->ReplaceItems({tr("Вверху"), tr("Внизу")});
    QLabel* hyphenationLabel = label(tr("Переносы"));
    e_hyphenation = new ListField(column);
    e_hyphenation->setObjectName(QStringLiteral("e_hyphenation"));
    e_hyphenation->ReplaceItems({tr("по словарю"), tr("простые")});
    e_hyphenation->SetItemIndex(0);
    for (ListField* list : {e_sysline, e_hyphenation}) list->setMinimumWidth(kMoreListWidth);

    auto* moreGrid = new QGridLayout;
    moreGrid->setHorizontalSpacing(2);
    moreGrid->setVerticalSpacing(2);
    moreGrid->setColumnMinimumWidth(0, kMoreLabelWidth);
    moreGrid->setColumnStretch(1, 1);
    moreGrid->addWidget(syslineLabel, 0, 0);
    moreGrid->addWidget(e_sysline, 0, 1);
    moreGrid->addWidget(hyphenationLabel, 1, 0);
    moreGrid->addWidget(e_hyphenation, 1, 1);

    // ---- The window's buttons: help at the left; Create and Close at the right; while a book
    // is built its progress and Cancel between them; under them Create's status line, which
    // moves none of them ----
    b_info = new QPushButton(column);
    b_info->setObjectName(QStringLiteral("b_info"));
    b_info->setFixedSize(kInfoSide, kInfoSide);
    b_info->setIconSize(QSize(24, 24));
    b_ok = Button(tr("Создать"), "b_ok", column);
    b_ok->setFont(Bold(font()));
    b_ok->setEnabled(false);
    b_close = Button(tr("Закрыть"), "b_close", column);
    b_close->setFont(Bold(font()));
    createRow_ = new QHBoxLayout;
    createRow_->setSpacing(4);
    createRow_->addWidget(b_info);
    createRow_->addStretch(1);
    createRow_->addWidget(b_ok);
    createRow_->addWidget(b_close);
    statusRow_ = new QHBoxLayout;
    statusRow_->setContentsMargins(kInfoSide + 8, 0, 0, 0);

    auto* groups = new QVBoxLayout;
    groups->setContentsMargins(kLeft, 0, 0, 0);
    groups->setSpacing(4);
    groups->addLayout(Heading(column, tr("Основные настройки")));
    groups->addLayout(mainGrid);
    groups->addSpacing(4);
    groups->addLayout(Heading(column, tr("Настройки шрифта")));
    groups->addLayout(fontGrid);
    groups->addSpacing(4);
    groups->addLayout(Heading(column, tr("Дополнительные настройки")));
    groups->addLayout(moreGrid);
    groups->addLayout(createRow_);
    groups->addLayout(statusRow_);

    auto* columnRow = new QHBoxLayout;
    columnRow->setSpacing(kRightOfFields);
    columnRow->addLayout(groups, 1);
    columnRow->addWidget(Rule(column, Qt::Vertical));
    // Never narrower than at rest, so that the preview keeps its place beside it.
    auto* whole = new QVBoxLayout(column);
    whole->setContentsMargins(0, kTop, 0, 0);
    whole->addLayout(columnRow);
    whole->addStrut(SettingsColumn::kRestingWidth);

    // Alt with a label's letter goes to its field; with a button's, presses it.
    const std::pair<QLabel*, QWidget*> buddies[] = {{titleLabel, e_caption},   {textLabel, e_text},
                                                    {profileLabel, e_model},   {upperLabel, e_upper_cut},
                                                    {bottLabel, e_bott_cut},   {syslineLabel, e_sysline},
                                                    {hyphenationLabel, e_hyphenation}};
    for (const auto& [l, field] : buddies) l->setBuddy(field);
    AssignAccessLetters({b_ok, b_close, titleLabel, textLabel, profileLabel, b_profiles, b_font, b_back, upperLabel,
                         bottLabel, syslineLabel, hyphenationLabel});
    return column;
}

CreatePanel& MainWindow::TheCreatePanel()
{
    if (createPanel) return *createPanel;
    createPanel = new CreatePanel(b_ok->parentWidget());
    // The progress and Cancel between the help button and Create; the status line under the row.
    const int afterInfo = createRow_->indexOf(b_info) + 1;
    createRow_->insertWidget(afterInfo, createPanel->bar);
    createRow_->insertWidget(afterInfo + 1, createPanel->cancel);
    createPanel->bar->setFixedWidth(kProgressWidth);
    statusRow_->addWidget(createPanel->status, 1);
    return *createPanel;
}

} // namespace lumira
