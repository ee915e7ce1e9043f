#include "cli/options.h"

#include "app/settings_file.h"

#include <QRegularExpression>
#include <functional>
#include <map>

namespace {

std::string Text(const QString& s)
{
    return s.toStdString();
}

int ParseNumber(const QString& option, const QString& value, int min, int max)
{
    bool ok = false;
    const int n = value.trimmed().toInt(&ok, 10);
    if (!ok || n < min || n > max)
        throw UsageError("Неверное значение " + Text(option) + " «" + Text(value) + "»: нужно целое число от " +
                         std::to_string(min) + " до " + std::to_string(max) + ".");
    return n;
}

RgbColor ParseColor(const QString& option, const QString& value)
{
    static const QRegularExpression form(QStringLiteral("^#?([0-9A-Fa-f]{2})([0-9A-Fa-f]{2})([0-9A-Fa-f]{2})$"));
    const auto m = form.match(value.trimmed());
    if (!m.hasMatch())
        throw UsageError("Неверный цвет " + Text(option) + " «" + Text(value) + "»: нужен вид #RRGGBB.");
    return RgbColor{m.captured(1).toInt(nullptr, 16), m.captured(2).toInt(nullptr, 16),
                    m.captured(3).toInt(nullptr, 16)};
}

int ParseSysline(const QString& option, const QString& value)
{
    const QString v = value.trimmed().toLower();
    if (v == QLatin1String("top")) return 0;
    if (v == QLatin1String("bottom")) return 1;
    throw UsageError("Неверное значение " + Text(option) + " «" + Text(value) + "»: нужно top или bottom.");
}

TextEncoding ParseEncoding(const QString& option, const QString& value)
{
    if (const auto e = EncodingFromKey(value.toStdString())) return *e;
    std::string known;
    for (TextEncoding e : AllEncodings()) known += std::string(known.empty() ? "" : ", ") + EncodingKey(e);
    throw UsageError("Неизвестная кодировка " + Text(option) + " «" + Text(value) + "»: нужна одна из " + known + ".");
}

QString NonEmpty(const QString& option, const QString& value)
{
    if (value.isEmpty()) throw UsageError("Пустое значение " + Text(option) + ".");
    return value;
}

} // namespace

CliOptions ParseOptions(const QStringList& arguments)
{
    CliOptions o;
    using Setter = std::function<void(const QString& option, const QString& value)>;
    // Options with a value.
    const std::map<QString, Setter> valued = {
        {QStringLiteral("--app-dir"), [&](auto& k, auto& v) { o.appDir = NonEmpty(k, v); }},
        {QStringLiteral("--title"), [&](auto& k, auto& v) { o.title = NonEmpty(k, v); }},
        {QStringLiteral("--profile"), [&](auto& k, auto& v) { o.profile = NonEmpty(k, v); }},
        {QStringLiteral("--font"), [&](auto& k, auto& v) { o.fontName = NonEmpty(k, v); }},
        {QStringLiteral("--size"), [&](auto& k, auto& v) { o.fontSize = ParseNumber(k, v, 1, kMaxFontSize); }},
        {QStringLiteral("--color"), [&](auto& k, auto& v) { o.color = ParseColor(k, v); }},
        {QStringLiteral("--background"), [&](auto& k, auto& v) { o.background = ParseColor(k, v); }},
        {QStringLiteral("--upper-cut"), [&](auto& k, auto& v) { o.upperCut = ParseNumber(k, v, 0, 1000); }},
        {QStringLiteral("--bottom-cut"), [&](auto& k, auto& v) { o.bottomCut = ParseNumber(k, v, 0, 1000); }},
        {QStringLiteral("--sysline"), [&](auto& k, auto& v) { o.sysline = ParseSysline(k, v); }},
        {QStringLiteral("--encoding"), [&](auto& k, auto& v) { o.encoding = ParseEncoding(k, v); }},
        {QStringLiteral("--out"), [&](auto& k, auto& v) { o.out = NonEmpty(k, v); }},
        {QStringLiteral("--out-dir"), [&](auto& k, auto& v) { o.outDir = NonEmpty(k, v); }},
        {QStringLiteral("--preview"), [&](auto& k, auto& v) { o.previewPage = ParseNumber(k, v, 1, 2147483647); }},
        {QStringLiteral("--png"), [&](auto& k, auto& v) { o.png = NonEmpty(k, v); }},
    };
    // Switches.
    const std::map<QString, std::function<void()>> flags = {
        {QStringLiteral("--help"), [&] { o.help = true; }},
        {QStringLiteral("-h"), [&] { o.help = true; }},
        {QStringLiteral("--version"), [&] { o.version = true; }},
        {QStringLiteral("--list-profiles"), [&] { o.listProfiles = true; }},
        {QStringLiteral("--verbose"), [&] { o.verbose = true; }},
        {QStringLiteral("--bold"), [&] { o.bold = true; }},
        {QStringLiteral("--no-bold"), [&] { o.bold = false; }},
        {QStringLiteral("--italic"), [&] { o.italic = true; }},
        {QStringLiteral("--no-italic"), [&] { o.italic = false; }},
        {QStringLiteral("--underline"), [&] { o.underline = true; }},
        {QStringLiteral("--no-underline"), [&] { o.underline = false; }},
        {QStringLiteral("--dump-pages"), [&] { o.dumpPages = true; }},
    };

    bool optionsEnded = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& arg = arguments[i];
        if (optionsEnded || !arg.startsWith(QLatin1Char('-'))) {
            o.texts << arg;
            continue;
        }
        if (arg == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        const qsizetype eq = arg.indexOf(QLatin1Char('='));
        const QString name = eq < 0 ? arg : arg.left(eq);
        if (const auto f = flags.find(name); f != flags.end()) {
            if (eq >= 0) throw UsageError("Ключ " + Text(name) + " не принимает значения.");
            f->second();
            continue;
        }
        const auto v = valued.find(name);
        if (v == valued.end()) throw UsageError("Неизвестный ключ " + Text(name) + ".");
        QString value;
        if (eq >= 0) {
            value = arg.mid(eq + 1);
        } else {
            if (i + 1 >= arguments.size()) throw UsageError("Ключу " + Text(name) + " нужно значение.");
            value = arguments[++i];
        }
        v->second(name, value);
    }

    if (o.help || o.version || o.listProfiles) return o;

    if (o.previewPage && !o.png) throw UsageError("Ключу --preview нужен ключ --png ФАЙЛ.");
    if (o.png && !o.previewPage) o.previewPage = 1;
    if (o.texts.isEmpty()) throw UsageError("Не указан ни один текст.");
    if (o.out && o.outDir) throw UsageError("Ключи --out и --out-dir не совместимы.");
    if (o.PageMode()) {
        if (o.texts.size() > 1) throw UsageError("Страницы показываются для одного текста за раз.");
        if (o.out || o.outDir) throw UsageError("Ключи --dump-pages и --preview не создают книгу: --out и --out-dir с ними не совместимы.");
    }
    if (o.texts.size() > 1) {
        if (o.out) throw UsageError("Ключ --out задаёт пакет одного текста; для нескольких текстов служит --out-dir.");
        if (o.title) throw UsageError("Ключ --title задаёт название одной книги; у нескольких текстов названия берутся из имён файлов.");
    }
    return o;
}

std::string HelpText()
{
    return R"(Использование: lumira-cli [ключи] ТЕКСТ...
Создаёт из текстов книги для телефонов с Java ME (MIDP 2.0): для каждого текста пакет .jar и
описатель .jad рядом с ним. Настройки по умолчанию — те же, что у окна программы: config.ini и
profiles.ini в папке программы.

Текст:
  --encoding КОДИРОВКА    кодировка текстов: auto (определить по началу текста), cp1251,
                          utf-8, utf-16, koi8-r или cp866; по умолчанию — выбранная в окне,
                          иначе auto. Книга всегда в cp1251: символ, которого в ней нет,
                          становится «?», и их число сообщается для каждого текста.
                          Книги FB2 (и FB2 в ZIP), EPUB и HTML узнаются по содержимому и
                          читаются в объявленной ими кодировке

Книга:
  --title НАЗВАНИЕ        название книги (по умолчанию — название из самой книги FB2, EPUB,
                          HTML, иначе имя файла без расширения; только для одного текста)
  --profile ИМЯ           профиль телефона из profiles.ini, без учёта регистра
  --font ИМЯ              шрифт
  --size ПУНКТЫ           размер шрифта в пунктах (1..200)
  --bold, --italic, --underline          начертание; --no-bold, --no-italic, --no-underline
                          его снимают
  --color #RRGGBB         цвет шрифта
  --background #RRGGBB    цвет фона
  --upper-cut N           подрезка сверху, строк пикселей
  --bottom-cut N          подрезка снизу, строк пикселей
  --sysline top|bottom    системная полоса вверху или внизу

Куда:
  --out ПУТЬ.jar          пакет единственного текста
  --out-dir ПАПКА         папка пакетов (по умолчанию — текущая); имя пакета — имя текста
                          латиницей с расширением .jar
  Папка должна существовать. Пакет и описатель заменяются без вопросов.

Проверка страниц (книга не создаётся, один текст):
  --dump-pages            вывести страницы предпросмотра всего текста в UTF-8: каждая строка
                          в точности как разложена, страницы разделены строкой из одного
                          символа перевода страницы (\f)
  --preview N --png ФАЙЛ  нарисовать страницу N (с 1) так, как её показывает окно, в PNG

Прочее:
  --app-dir ПАПКА         папка с config.ini, profiles.ini, iface.dat и velmar.dat вместо
                          папки программы
  --list-profiles         перечислить профили телефонов
  --verbose               сообщать о каждой книге и тогда, когда вывод не на терминал
  --help                  эта справка
  --version               версия

Коды завершения: 0 — всё создано; 1 — хотя бы один текст не удался (остальные создаются);
2 — ошибка в ключах или настройках, ничего не создано.
)";
}
