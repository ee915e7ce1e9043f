#include "profiles/profile_editor.h"

#include "platform/application.h"
#include "platform/cp1251.h"
#include "platform/desktop.h"
#include "platform/book_font_style.h"
#include "platform/paths.h"
#include "profiles/profile.h"
#include "profiles/profile_name.h"
#include "profiles/profile_pictures.h"

#include <QDir>
#include <QFontMetrics>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace lumira {

namespace {

constexpr int kBannerHeight = 41;
constexpr int kPanelWidth = 225;
constexpr int kButtonStripHeight = 41;
const QColor kBannerColor(250, 196, 31);
const QColor kRuleColor(0, 0, 255);

QFont BoldOf(const QFont& font)
{
    QFont bold = font;
    bold.setBold(true);
    return bold;
}

// The right-hand panel's pieces, placed at fixed positions.
class PanelBuilder {
public:
    explicit PanelBuilder(QWidget* panel) : panel_(panel) {}

    // A bold heading with a 2-pixel blue rule under it; returns the first row's top.
    int Heading(const QString& text, int top)
    {
        auto* heading = new QLabel(text, panel_);
        heading->setFont(BoldOf(panel_->font()));
        heading->setGeometry(kMargin, top, kWidth, 14);
        auto* rule = new QFrame(panel_);
        rule->setFrameShape(QFrame::NoFrame);
        rule->setAutoFillBackground(true);
        QPalette palette = rule->palette();
        palette.setColor(QPalette::Window, kRuleColor);
        rule->setPalette(palette);
        rule->setGeometry(kMargin, top + 16, kWidth, 2);
        return top + 22;
    }

    void Label(const QString& text, int x, int top, int width)
    {
        auto* label = new QLabel(text, panel_);
        label->setGeometry(x, top, width, kRowHeight);
        label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    }

    static constexpr int kMargin = 8;
    static constexpr int kWidth = kPanelWidth - 2 * kMargin;
    static constexpr int kRowHeight = 21;
    static constexpr int kRowPitch = 25;

private:
    QWidget* panel_;
};

} // namespace

ProfileEditor::ProfileEditor(const QString& appDir, QWidget* parent) : QDialog(parent)
{
    CreateControls();
    QString dir = appDir;
    if (!dir.isEmpty() && !dir.endsWith(QDir::separator()) && !dir.endsWith(QLatin1Char('/')))
        dir += QDir::separator();
    ProfileIni = std::make_unique<IniFile>(ToFsPath(dir + QStringLiteral("profiles.ini")));
    ReloadProfileList();
}

ProfileEditor::~ProfileEditor()
{
    ProfileIni.reset();
}

std::string ProfileEditor::SectionOf(const QTableWidgetItem* entry)
{
    return entry->data(Qt::UserRole).toByteArray().toStdString();
}

void ProfileEditor::ReloadProfileList()
{
    // Taking the selection away first reports the selected entry as unselected.
    prof_list->clearSelection();
    prof_list->setRowCount(0);
    const std::vector<std::string> names = ProfileIni->ReadSections();
    prof_list->setRowCount(static_cast<int>(names.size()));
    const QIcon icon = ProfileEntryIcon();
    for (size_t i = 0; i < names.size(); ++i) {
        auto* entry = new QTableWidgetItem(icon, Cp1251ToQString(names[i]));
        entry->setData(Qt::UserRole, QByteArray::fromStdString(names[i]));
        entry->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
        prof_list->setItem(static_cast<int>(i), 0, entry);
    }
    if (!names.empty()) prof_list->selectRow(0);
}

void ProfileEditor::prof_listSelectItem(QTableWidgetItem* entry, bool selected)
{
    b_del->setEnabled(selected);
    if (!selected || !entry) return;
    status->clearMessage();
    e_name->setText(entry->text());
    const PhoneProfile p = ReadProfile(*ProfileIni, SectionOf(entry));
    e_width->setValue(p.Width);
    e_height->setValue(p.Height);
    e_lsoft->setValue(p.LSoft);
    e_rsoft->setValue(p.RSoft);
    e_menu->setValue(p.Menu);
    // A value that is no position of the list (below -1 or above 5) leaves the list's choice as it was.
    e_up->SetItemIndex(p.OnUp);
    e_down->SetItemIndex(p.OnDown);
    e_left->SetItemIndex(p.OnLeft);
    e_right->SetItemIndex(p.OnRight);
    e_maxjar->setValue(p.MaxJarSize);
}

void ProfileEditor::b_editClick()
{
    const QString name = e_name->text();
    if (name.isEmpty()) return;
    // A name the file would give back under another spelling would make a profile nobody can
    // find again; refuse it before anything is written.
    const QString problem = ProfileNameProblem(name);
    if (!problem.isEmpty()) {
        TheDesktop().ShowMessage(this, problem);
        return;
    }
    for (NumberField* field : {e_width, e_height, e_lsoft, e_rsoft, e_menu, e_maxjar}) field->Settle();
    PhoneProfile p;
    p.Name = QStringToCp1251(name);
    p.Width = e_width->value();
    p.Height = e_height->value();
    p.LSoft = e_lsoft->value();
    p.RSoft = e_rsoft->value();
    p.Menu = e_menu->value();
    p.OnUp = e_up->ItemIndex();
    p.OnDown = e_down->ItemIndex();
    p.OnLeft = e_left->ItemIndex();
    p.OnRight = e_right->ItemIndex();
    p.MaxJarSize = e_maxjar->value();
    WriteProfileKeys(*ProfileIni, p);
    ReloadProfileList();
}

void ProfileEditor::b_delClick()
{
    const QList<QTableWidgetItem*> selected = prof_list->selectedItems();
    if (selected.isEmpty()) return;
    if (!TheDesktop().Ask(this, tr("Удалить профиль «%1»?").arg(selected.first()->text()))) return;
    ProfileIni->EraseSection(SectionOf(selected.first()));
    ReloadProfileList();
}

void ProfileEditor::b_addClick()
{
    prof_list->clearSelection();
    // A name no profile has yet: "Новый профиль", else with the first free number after it.
    const std::vector<std::string> sections = ProfileIni->ReadSections();
    const auto taken = [&](const QString& name) {
        const std::string bytes = QStringToCp1251(name);
        return std::any_of(sections.begin(), sections.end(),
                           [&](const std::string& s) { return Cp1251EqualsNoCase(s, bytes); });
    };
    const QString base = tr("Новый профиль");
    QString name = base;
    for (int n = 2; taken(name); ++n) name = QStringLiteral("%1 %2").arg(base).arg(n);
    const PhoneProfile defaults;
    e_name->setText(name);
    e_width->setValue(defaults.Width);
    e_height->setValue(defaults.Height);
    e_lsoft->setValue(defaults.LSoft);
    e_rsoft->setValue(defaults.RSoft);
    e_menu->setValue(defaults.Menu);
    e_up->SetItemIndex(defaults.OnUp);
    e_down->SetItemIndex(defaults.OnDown);
    e_left->SetItemIndex(defaults.OnLeft);
    e_right->SetItemIndex(defaults.OnRight);
    e_maxjar->setValue(defaults.MaxJarSize);
    e_name->setFocus();
    e_name->selectAll();
    status->showMessage(tr("Новый профиль: задайте название и значения и нажмите «Сохранить»"));
}

void ProfileEditor::SelectProfile(const std::string& section)
{
    for (int row = 0; row < prof_list->rowCount(); ++row)
        if (Cp1251EqualsNoCase(SectionOf(prof_list->item(row, 0)), section)) {
            prof_list->selectRow(row);
            prof_list->scrollToItem(prof_list->item(row, 0));
            return;
        }
}

void ProfileEditor::CreateControls()
{
    setWindowTitle(tr("Профили"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    // Tahoma, 8 points; where the machine lacks it, a face of like width before the font system's
    // own choice, so the captions keep to the rows they were laid out for.
    QFont face(QStringLiteral("Tahoma"));
    face.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("Arial"), QStringLiteral("Liberation Sans"),
                      QStringLiteral("Nimbus Sans")});
    face.setPixelSize(FontPixelSize(8));
    setFont(face);
    // The package-limit row under the key layout made the window one row taller than it was, and
    // the strip with "Добавить" and "Закрыть" one strip taller.
    setMinimumSize(459, 441 + PanelBuilder::kRowPitch + kButtonStripHeight);
    resize(505, 469 + PanelBuilder::kRowPitch + kButtonStripHeight);
    setSizeGripEnabled(false);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);

    // Banner.
    auto* banner = new QWidget(this);
    banner->setFixedHeight(kBannerHeight);
    banner->setAutoFillBackground(true);
    QPalette bannerPalette = banner->palette();
    bannerPalette.setColor(QPalette::Window, kBannerColor);
    bannerPalette.setColor(QPalette::WindowText, Qt::black);
    banner->setPalette(bannerPalette);
    banner->setFont(BoldOf(face));
    auto* bannerLayout = new QHBoxLayout(banner);
    bannerLayout->setContentsMargins(4, 0, 8, 0);
    bannerLayout->setSpacing(8);
    auto* picture = new QLabel(banner);
    picture->setFixedSize(32, 32);
    picture->setPixmap(ProfilesBannerPicture());
    bannerLayout->addWidget(picture, 0, Qt::AlignVCenter);
    auto* bannerText = new QLabel(tr("Настройка профилей телефонных аппаратов"), banner);
    bannerText->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    bannerText->setWordWrap(true);
    bannerLayout->addWidget(bannerText, 1);
    outer->addWidget(banner);

    // The list on the left, the panel on the right.
    auto* middle = new QHBoxLayout();
    middle->setContentsMargins(0, 0, 0, 0);
    middle->setSpacing(0);
    outer->addLayout(middle, 1);

    prof_list = new QTableWidget(0, 1, this);
    prof_list->setFrameShape(QFrame::NoFrame);
    prof_list->horizontalHeader()->hide();
    prof_list->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    prof_list->verticalHeader()->hide();
    prof_list->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    prof_list->verticalHeader()->setDefaultSectionSize(18);
    prof_list->setShowGrid(true);
    prof_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    prof_list->setSelectionMode(QAbstractItemView::SingleSelection);
    prof_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    prof_list->setIconSize(QSize(16, 16));
    prof_list->setWordWrap(false);
    prof_list->setTabKeyNavigation(false);
    prof_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The selection keeps its colours when the list loses the focus.
    QPalette listPalette = prof_list->palette();
    listPalette.setColor(QPalette::Inactive, QPalette::Highlight, listPalette.color(QPalette::Active, QPalette::Highlight));
    listPalette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                         listPalette.color(QPalette::Active, QPalette::HighlightedText));
    prof_list->setPalette(listPalette);
    middle->addWidget(prof_list, 1);

    auto* panel = new QWidget(this);
    panel->setFixedWidth(kPanelWidth);
    auto* panelLayout = new QVBoxLayout(panel);
    panelLayout->setContentsMargins(0, 0, 0, 0);
    panelLayout->setSpacing(0);
    middle->addWidget(panel);

    auto* fields = new QWidget(panel);
    PanelBuilder b(fields);
    constexpr int m = PanelBuilder::kMargin;
    constexpr int w = PanelBuilder::kWidth;
    constexpr int h = PanelBuilder::kRowHeight;
    constexpr int pitch = PanelBuilder::kRowPitch;

    int y = b.Heading(tr("Название профиля"), 8);
    e_name = new QLineEdit(fields);
    e_name->setGeometry(m, y, w, h);

    // Captions take the room their font needs (the face may fall back to a wider one); the
    // fields get the rest of the row.
    const QFontMetrics metrics(fields->font());
    const auto captionWidth = [&metrics](std::initializer_list<QString> captions) {
        int widest = 0;
        for (const QString& caption : captions) widest = std::max(widest, metrics.horizontalAdvance(caption));
        return widest + 4;
    };

    y = b.Heading(tr("Экран"), y + h + 9);
    {
        const QString widthCaption = tr("Ширина"), heightCaption = tr("Высота");
        const int widthLabel = captionWidth({widthCaption});
        const int heightLabel = captionWidth({heightCaption});
        const int field = (w - widthLabel - heightLabel - 8) / 2;
        b.Label(widthCaption, m, y, widthLabel);
        e_width = new NumberField(176, fields);
        e_width->setGeometry(m + widthLabel, y, field, h);
        b.Label(heightCaption, m + w - field - heightLabel, y, heightLabel);
        e_height = new NumberField(204, fields);
        e_height->setGeometry(m + w - field, y, field, h);
    }

    y = b.Heading(tr("Клавиши"), y + h + 9);
    {
        const QString captions[] = {tr("Левая программная клавиша"),
                                    tr("Правая программная клавиша"), tr("Клавиша меню")};
        const int field = std::max(44, w - captionWidth({captions[0], captions[1], captions[2]}));
        NumberField** targets[] = {&e_lsoft, &e_rsoft, &e_menu};
        for (int row = 0; row < 3; ++row) {
            b.Label(captions[row], m, y, w - field);
            *targets[row] = new NumberField(0, fields);
            (*targets[row])->setGeometry(m + w - field, y, field, h);
            if (row < 2) y += pitch;
        }
    }

    y = b.Heading(tr("Раскладка"), y + h + 9);
    const int actionLabelWidth = captionWidth({tr("Вверх"), tr("Вниз"),
                                               tr("Влево"), tr("Вправо")});
    const auto actionRow = [&](const QString& caption, int top) {
        b.Label(caption, m, top, actionLabelWidth);
        auto* list = new ListField(fields);
        list->ReplaceItems(KeyActionTexts());
        list->setGeometry(m + actionLabelWidth, top, w - actionLabelWidth, h);
        return list;
    };
    e_up = actionRow(tr("Вверх"), y);
    e_down = actionRow(tr("Вниз"), y + pitch);
    e_left = actionRow(tr("Влево"), y + 2 * pitch);
    e_right = actionRow(tr("Вправо"), y + 3 * pitch);
    {
        // The largest package the phone installs, under the rows above so that none of them moves.
        const QString caption = tr("Предел пакета, КБ (0 — нет)");
        const int top = y + 4 * pitch;
        const int field = std::max(60, w - captionWidth({caption}));
        b.Label(caption, m, top, w - field);
        e_maxjar = new NumberField(0, fields);
        e_maxjar->setRange(0, 2097151);
        e_maxjar->setToolTip(tr("Телефон не установит книгу больше этого размера; "
                                "книга больше предела делится на тома"));
        e_maxjar->setGeometry(m + w - field, top, field, h);
        y += pitch;
    }
    fields->setFixedHeight(y + 3 * pitch + h + 4);
    panelLayout->addWidget(fields);
    panelLayout->addStretch(1);

    auto* strip = new QWidget(panel);
    strip->setFixedHeight(kButtonStripHeight);
    b_edit = new QPushButton(tr("Сохранить"), strip);
    b_del = new QPushButton(tr("Удалить"), strip);
    b_del->setGeometry(kPanelWidth - m - 75, (kButtonStripHeight - 25) / 2, 75, 25);
    b_del->setEnabled(false);  // until an entry is selected
    b_edit->setGeometry(b_del->x() - 6 - 75, b_del->y(), 75, 25);
    // Enter in a field does not press a button.
    b_edit->setAutoDefault(false);
    b_del->setAutoDefault(false);
    panelLayout->addWidget(strip);

    // Across the window: "Добавить" under the list, "Закрыть" at the right.
    auto* windowStrip = new QHBoxLayout();
    windowStrip->setContentsMargins(m, (kButtonStripHeight - 25) / 2, m, (kButtonStripHeight - 25) / 2);
    b_add = new QPushButton(tr("Добавить"), this);
    b_close = new QPushButton(tr("Закрыть"), this);
    for (QPushButton* button : {b_add, b_close}) {
        button->setFixedSize(std::max(75, button->sizeHint().width()), 25);
        button->setAutoDefault(false);
    }
    windowStrip->addWidget(b_add);
    windowStrip->addStretch(1);
    windowStrip->addWidget(b_close);
    outer->addLayout(windowStrip);

    status = new QStatusBar(this);
    outer->addWidget(status);

    QWidget* order[] = {e_name, e_width, e_height, e_lsoft, e_rsoft, e_menu, e_up, e_down, e_left, e_right,
                        e_maxjar, b_edit, b_del, prof_list, b_add, b_close};
    for (size_t i = 0; i + 1 < std::size(order); ++i) setTabOrder(order[i], order[i + 1]);

    connect(prof_list->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection& selectedNow, const QItemSelection& unselected) {
                for (const QModelIndex& index : unselected.indexes())
                    if (index.column() == 0) prof_listSelectItem(prof_list->item(index.row(), 0), false);
                for (const QModelIndex& index : selectedNow.indexes())
                    if (index.column() == 0) prof_listSelectItem(prof_list->item(index.row(), 0), true);
            });
    connect(b_edit, &QPushButton::clicked, this, Guarded([this] { b_editClick(); }));
    connect(b_del, &QPushButton::clicked, this, Guarded([this] { b_delClick(); }));
    connect(b_add, &QPushButton::clicked, this, Guarded([this] { b_addClick(); }));
    // Esc presses it too, as the dialog's cancel (an open list takes its own Esc first).
    connect(b_close, &QPushButton::clicked, this, &QDialog::reject);
}

} // namespace lumira
