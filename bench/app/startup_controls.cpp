// The second reference for the start-up: a Qt widget program showing the main window's controls
// (the same kinds, texts, fonts, pictures and places) without any of the program's work behind
// them: no files, no glyph strip, no preview, no settings. What Qt itself needs for such a window
// on this machine; the program's start-up can come near it, not below it.
#include <QApplication>
#include <QComboBox>
#include <QFontDatabase>
#include <QImage>
#include <QBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QToolButton>
#include <QWidget>

namespace {

QPixmap Disc(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(0x1F, 0x5F, 0xC8));
    painter.drawEllipse(QRectF(0.5, 0.5, size - 1.0, size - 1.0));
    painter.end();
    return QPixmap::fromImage(image);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QWidget window;
    // The window's face: the first installed of its families, as the window chooses it.
    QStringList families;
    const QStringList installed = QFontDatabase::families();
    for (const QString& family : {QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans Condensed"), QStringLiteral("Verdana")})
        if (installed.contains(family, Qt::CaseInsensitive)) families << family;
    QFont face(families.value(0, QStringLiteral("Tahoma")));
    face.setFamilies(families.isEmpty() ? QStringList{QStringLiteral("Tahoma")} : families);
    face.setPixelSize(11);
    window.setFont(face);
    QFont bold = face;
    bold.setBold(true);

    auto* scroll = new QScrollArea(&window);
    scroll->setGeometry(0, 0, 590, 388);
    auto* client = new QWidget;
    client->resize(590, 388);
    scroll->setWidget(client);
    auto label = [client](const char* text, int x, int y, int w, int h) {
        auto* l = new QLabel(QString::fromUtf8(text), client);
        l->setGeometry(x, y, w, h);
        return l;
    };
    auto button = [client](const char* text, int x, int y, int w, int h) {
        auto* b = new QPushButton(QString::fromUtf8(text), client);
        b->setGeometry(x, y, w, h);
        return b;
    };

    auto* banner = new QWidget(client);
    banner->setGeometry(0, 0, 590, 40);
    banner->setAutoFillBackground(true);
    banner->setFont(bold);
    auto* pages = new QLabel(banner);
    pages->setGeometry(8, 4, 32, 32);
    pages->setPixmap(Disc(32));
    (new QLabel(QStringLiteral("1.0"), banner))->setGeometry(56, 24, 60, 14);
    auto* bannerText = new QLabel(QString::fromUtf8("Генератор мидлетов Lumira для устройств с поддержкой MIDP-2.0"), banner);
    bannerText->setWordWrap(true);
    bannerText->setGeometry(300, 0, 280, 40);

    label("Основные настройки", 8, 48, 367, 16)->setFont(bold);
    label("Название", 8, 68, 54, 21);
    (new QLineEdit(client))->setGeometry(64, 68, 309, 21);
    label("Текст", 8, 96, 54, 21);
    auto* text = new QLineEdit(client);
    text->setGeometry(64, 96, 309, 21);
    auto* browse = new QToolButton(text);
    browse->setText(QStringLiteral("…"));
    browse->setGeometry(289, 1, 19, 19);
    auto* encoding = new QToolButton(text);
    encoding->setText(QString::fromUtf8("Авто"));
    auto* menu = new QMenu(encoding);
    for (const char* name : {"Авто", "Windows-1251", "UTF-8", "UTF-16 LE", "UTF-16 BE", "KOI8-R", "CP866", "ISO-8859-5"})
        menu->addAction(QString::fromUtf8(name))->setCheckable(true);
    encoding->setMenu(menu);
    encoding->setGeometry(200, 1, 86, 19);
    label("Профиль", 8, 124, 54, 21);
    auto* model = new QComboBox(client);
    model->setGeometry(64, 124, 233, 21);
    for (int i = 1; i <= 20; ++i) model->addItem(QStringLiteral("Phone %1").arg(i));
    button("Профили", 300, 123, 75, 25);

    label("Настройки шрифта", 8, 156, 367, 16)->setFont(bold);
    button("Шрифт", 8, 176, 75, 25);
    button("Фон", 8, 204, 75, 25);
    auto* fontLabel = label(" Tahoma, 8", 88, 180, 125, 45);
    fontLabel->setWordWrap(true);
    fontLabel->setAutoFillBackground(true);
    label("Подрезка сверху", 214, 176, 98, 21);
    (new QSpinBox(client))->setGeometry(316, 176, 57, 21);
    label("Подрезка снизу", 214, 204, 98, 21);
    (new QSpinBox(client))->setGeometry(316, 204, 57, 21);

    label("Дополнительные настройки", 8, 240, 367, 16)->setFont(bold);
    label("Отображать системную полосу", 8, 260, 216, 21);
    auto* sysline = new QComboBox(client);
    sysline->setGeometry(228, 260, 141, 21);
    sysline->addItems({QString::fromUtf8("Вверху"), QString::fromUtf8("Внизу")});
    auto* info = button("", 8, 304, 32, 32);
    info->setIcon(Disc(24));
    info->setIconSize(QSize(24, 24));
    auto* create = button("Создать", 216, 308, 75, 25);
    create->setFont(bold);
    create->setEnabled(false);
    button("Закрыть", 296, 308, 75, 25)->setFont(bold);

    label("Предпросмотр", 396, 48, 128, 16)->setFont(bold);
    auto* previewFrame = new QScrollArea(client);
    previewFrame->setGeometry(396, 68, 128, 204);
    auto* preview = new QLabel;
    QImage page(128, 204, QImage::Format_RGB32);
    page.fill(Qt::white);
    preview->setPixmap(QPixmap::fromImage(page));
    previewFrame->setWidget(preview);
    for (int i = 0; i < 3; ++i) {
        auto* paging = button("", 396 + 46 * i, 296, 37, 29);
        paging->setIcon(Disc(18));
        paging->setIconSize(QSize(18, 18));
    }

    // Under the preview: the contents button and list (hidden without contents), the zoom, the
    // page field and the page line, in a row of a layout as the window has them.
    auto* placeRow = new QWidget(client);
    placeRow->setGeometry(100, 340, 480, 22);
    auto* row = new QHBoxLayout(placeRow);
    row->setContentsMargins(0, 0, 0, 0);
    row->addStretch(1);
    auto* contentsButton = new QToolButton(placeRow);
    contentsButton->setText(QString::fromUtf8("Содержание"));
    contentsButton->hide();
    (new QListWidget(client))->hide();
    auto* zoom = new QComboBox(placeRow);
    zoom->addItems({QStringLiteral("1×"), QStringLiteral("2×"), QStringLiteral("3×"), QString::fromUtf8("по размеру окна")});
    row->addWidget(contentsButton);
    row->addWidget(zoom);
    row->addWidget(new QLineEdit(placeRow));
    row->addWidget(new QLabel(QString::fromUtf8("Страница 1 из 5 · 20 %"), placeRow));

    auto* windowLayout = new QVBoxLayout(&window);
    windowLayout->setContentsMargins(0, 0, 0, 0);
    windowLayout->addWidget(scroll);
    window.resize(590, 388);
    window.show();
    QCoreApplication::processEvents();
    return 0;
}
