#include "cli/options.h"

#include "settings/settings_file.h"
#include "platform/language.h"

#include <QRegularExpression>
#include <functional>
#include <limits>
#include <map>

namespace lumira {

namespace {

std::string Text(const QString& s)
{
    return s.toStdString();
}

// Largest package limit, KB: what the profile editor takes.
constexpr int kMaxJarSizeKb = 2097151;
// Most books built at once.
constexpr int kMaxJobs = 256;
// Largest cut, pixel rows: the bound a stored cut is held to.
constexpr int kMaxCutOption = kMaxStoredCut;
// Any page number an int holds; a page past the book's end is told as such when the book is laid out.
constexpr int kMaxPreviewPage = std::numeric_limits<int>::max();

int ParseNumber(const QString& option, const QString& value, int min, int max)
{
    bool ok = false;
    const int n = value.trimmed().toInt(&ok, 10);
    if (!ok || n < min || n > max)
        throw UsageError(FormatText(Translate("lumira-cli", "Неверное значение %1 «%2»: нужно целое число от %3 до %4."),
                                    {Text(option), Text(value), std::to_string(min), std::to_string(max)}));
    return n;
}

// --preview N (a page) or --preview P% (a share of the text); the last one given counts.
void ParsePreviewPage(const QString& option, const QString& value, CliOptions& o)
{
    const QString v = value.trimmed();
    const bool percent = v.endsWith(QLatin1Char('%'));
    bool ok = false;
    const int n = (percent ? v.chopped(1) : v).toInt(&ok, 10);
    if (!ok || (percent ? n < 0 || n > 100 : n < 1 || n > kMaxPreviewPage))
        throw UsageError(FormatText(Translate("lumira-cli", "Неверное значение %1 «%2»: нужен номер страницы (с 1) или доля текста от 0% до 100%."),
                                    {Text(option), Text(value)}));
    o.previewPage.reset();
    o.previewPercent.reset();
    (percent ? o.previewPercent : o.previewPage) = n;
}

RgbColor ParseColor(const QString& option, const QString& value)
{
    static const QRegularExpression form(QStringLiteral("^#?([0-9A-Fa-f]{2})([0-9A-Fa-f]{2})([0-9A-Fa-f]{2})$"));
    const auto m = form.match(value.trimmed());
    if (!m.hasMatch())
        throw UsageError(FormatText(Translate("lumira-cli", "Неверный цвет %1 «%2»: нужен вид #RRGGBB."), {Text(option), Text(value)}));
    return RgbColor{m.captured(1).toInt(nullptr, 16), m.captured(2).toInt(nullptr, 16),
                    m.captured(3).toInt(nullptr, 16)};
}

int ParseSysline(const QString& option, const QString& value)
{
    const QString v = value.trimmed().toLower();
    if (v == QLatin1String("top")) return 0;
    if (v == QLatin1String("bottom")) return 1;
    throw UsageError(FormatText(Translate("lumira-cli", "Неверное значение %1 «%2»: нужно top или bottom."), {Text(option), Text(value)}));
}

TextEncoding ParseEncoding(const QString& option, const QString& value)
{
    if (const auto e = EncodingFromKey(value.toStdString())) return *e;
    std::string known;
    for (TextEncoding e : AllEncodings()) known += std::string(known.empty() ? "" : ", ") + EncodingKey(e);
    throw UsageError(FormatText(Translate("lumira-cli", "Неизвестная кодировка %1 «%2»: нужна одна из %3."), {Text(option), Text(value), known}));
}

bool ParseHyphenation(const QString& option, const QString& value)
{
    if (const auto h = HyphenationFromKey(value.toStdString())) return *h;
    throw UsageError(FormatText(Translate("lumira-cli", "Неверное значение %1 «%2»: нужно dictionary или simple."),
                                {Text(option), Text(value)}));
}

Language ParseLanguage(const QString& option, const QString& value)
{
    if (const auto l = LanguageFromKey(value.toStdString())) return *l;
    throw UsageError(FormatText(Translate("lumira-cli", "Неизвестный язык %1 «%2»: нужен ru или en."), {Text(option), Text(value)}));
}

// The value of the last `option` before "--", as given ("--lang en" or "--lang=en").
std::optional<QString> ValueAsked(const QStringList& arguments, const QString& option)
{
    std::optional<QString> value;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& arg = arguments[i];
        if (arg == QLatin1String("--")) break;
        if (arg == option && i + 1 < arguments.size()) value = arguments[++i];
        else if (arg.startsWith(option + QLatin1Char('='))) value = arg.mid(option.size() + 1);
    }
    return value;
}

QString NonEmpty(const QString& option, const QString& value)
{
    if (value.isEmpty()) throw UsageError(FormatText(Translate("lumira-cli", "Пустое значение %1."), {Text(option)}));
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
        {QStringLiteral("--lang"), [&](auto& k, auto& v) { o.language = ParseLanguage(k, v); }},
        {QStringLiteral("--title"), [&](auto& k, auto& v) { o.title = NonEmpty(k, v); }},
        {QStringLiteral("--profile"), [&](auto& k, auto& v) { o.profile = NonEmpty(k, v); }},
        {QStringLiteral("--font"), [&](auto& k, auto& v) { o.fontName = NonEmpty(k, v); }},
        {QStringLiteral("--size"), [&](auto& k, auto& v) { o.fontSize = ParseNumber(k, v, 1, kMaxFontSize); }},
        {QStringLiteral("--color"), [&](auto& k, auto& v) { o.color = ParseColor(k, v); }},
        {QStringLiteral("--background"), [&](auto& k, auto& v) { o.background = ParseColor(k, v); }},
        {QStringLiteral("--upper-cut"), [&](auto& k, auto& v) { o.upperCut = ParseNumber(k, v, 0, kMaxCutOption); }},
        {QStringLiteral("--bottom-cut"), [&](auto& k, auto& v) { o.bottomCut = ParseNumber(k, v, 0, kMaxCutOption); }},
        {QStringLiteral("--sysline"), [&](auto& k, auto& v) { o.sysline = ParseSysline(k, v); }},
        {QStringLiteral("--encoding"), [&](auto& k, auto& v) { o.encoding = ParseEncoding(k, v); }},
        {QStringLiteral("--hyphenation"), [&](auto& k, auto& v) { o.dictionaryHyphens = ParseHyphenation(k, v); }},
        {QStringLiteral("--out"), [&](auto& k, auto& v) { o.out = NonEmpty(k, v); }},
        {QStringLiteral("--out-dir"), [&](auto& k, auto& v) { o.outDir = NonEmpty(k, v); }},
        {QStringLiteral("--max-jar-size"), [&](auto& k, auto& v) { o.maxJarSize = ParseNumber(k, v, 0, kMaxJarSizeKb); }},
        {QStringLiteral("--jobs"), [&](auto& k, auto& v) { o.jobs = ParseNumber(k, v, 1, kMaxJobs); }},
        {QStringLiteral("--preview"), [&](auto& k, auto& v) { ParsePreviewPage(k, v, o); }},
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
        {QStringLiteral("--pages"), [&] { o.countPages = true; }},
        {QStringLiteral("--toc"), [&] { o.contents = true; }},
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
            if (eq >= 0) throw UsageError(FormatText(Translate("lumira-cli", "Ключ %1 не принимает значения."), {Text(name)}));
            f->second();
            continue;
        }
        const auto v = valued.find(name);
        if (v == valued.end()) throw UsageError(FormatText(Translate("lumira-cli", "Неизвестный ключ %1."), {Text(name)}));
        QString value;
        if (eq >= 0) {
            value = arg.mid(eq + 1);
        } else {
            if (i + 1 >= arguments.size()) throw UsageError(FormatText(Translate("lumira-cli", "Ключу %1 нужно значение."), {Text(name)}));
            value = arguments[++i];
        }
        v->second(name, value);
    }

    if (o.help || o.version || o.listProfiles) return o;

    if ((o.previewPage || o.previewPercent) && !o.png) throw UsageError(Translate("lumira-cli", "Ключу --preview нужен ключ --png ФАЙЛ."));
    if (o.png && !o.previewPage && !o.previewPercent) o.previewPage = 1;
    if (o.texts.isEmpty()) throw UsageError(Translate("lumira-cli", "Не указан ни один текст."));
    if (o.out && o.outDir) throw UsageError(Translate("lumira-cli", "Ключи --out и --out-dir не совместимы."));
    if (o.PageMode()) {
        if (o.texts.size() > 1) throw UsageError(Translate("lumira-cli", "Страницы показываются для одного текста за раз."));
        if (o.maxJarSize) throw UsageError(Translate("lumira-cli", "Ключ --max-jar-size относится к созданию книги, а не к проверке страниц."));
        if (o.out || o.outDir) throw UsageError(Translate("lumira-cli", "Ключи --dump-pages, --pages, --toc и --preview не создают книгу: --out и --out-dir с ними не совместимы."));
    }
    if (o.texts.size() > 1) {
        if (o.out) throw UsageError(Translate("lumira-cli", "Ключ --out задаёт пакет одного текста; для нескольких текстов служит --out-dir."));
        if (o.title) throw UsageError(Translate("lumira-cli", "Ключ --title задаёт название одной книги; у нескольких текстов названия берутся из имён файлов."));
    }
    return o;
}

std::optional<Language> LanguageAsked(const QStringList& arguments)
{
    const auto value = ValueAsked(arguments, QStringLiteral("--lang"));
    return value ? LanguageFromKey(value->toStdString()) : std::nullopt;
}

std::optional<QString> AppDirAsked(const QStringList& arguments)
{
    return ValueAsked(arguments, QStringLiteral("--app-dir"));
}

std::string HelpText()
{
    return Translate("lumira-cli", R"(Использование: lumira-cli [ключи] ТЕКСТ...
Создаёт из текстов книги для телефонов с Java ME (MIDP 2.0): для каждого текста пакет .jar и
описатель .jad рядом с ним. Настройки по умолчанию — те же, что у окна программы: config.ini и
profiles.ini в папке программы, а у установленной программы — в ~/.config/lumira.

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
  --hyphenation dictionary|simple        переносы: по словарю языка (русский, английский) или
                          простые, по гласным и согласным; по умолчанию — выбранные в окне
  --max-jar-size КБ       наибольший пакет, который ставит телефон (0 — без предела); по
                          умолчанию — MaxJarSize профиля. Книга больше предела делится на тома
                          ИМЯ_1.jar, ИМЯ_2.jar ... по концам абзацев; о каждом томе выводится
                          строка

Куда:
  --out ПУТЬ.jar          пакет единственного текста
  --out-dir ПАПКА         папка пакетов (по умолчанию — текущая); имя пакета — имя текста
                          латиницей с расширением .jar
  --jobs N                сколько книг создавать одновременно (1..256; по умолчанию — по
                          числу ядер); сообщения о текстах идут в порядке их перечисления
  Папка должна существовать. Пакет и описатель заменяются без вопросов.

Проверка страниц (книга не создаётся, один текст):
  --dump-pages            вывести страницы предпросмотра всего текста в UTF-8: каждая строка
                          в точности как разложена, страницы разделены строкой из одного
                          символа перевода страницы (\f)
  --pages                 вывести число страниц текста
  --toc                   вывести содержание книги (заголовки, вложенные с отступом) с номерами
                          страниц предпросмотра, на которых они начинаются
  --preview N --png ФАЙЛ  нарисовать страницу N (с 1) так, как её показывает окно, в PNG;
                          --preview P% — первую страницу, к концу которой прочитано P %
                          текста (0..100)

Прочее:
  --app-dir ПАПКА         папка с config.ini, profiles.ini, iface.dat и velmar.dat вместо
                          папки программы
  --lang ru|en            язык сообщений; по умолчанию — Language в config.ini, иначе язык
                          системы
  --list-profiles         перечислить профили телефонов
  --verbose               сообщать о каждой книге и тогда, когда вывод не на терминал
  --help                  эта справка
  --version               версия

Коды завершения: 0 — всё создано; 1 — хотя бы один текст не удался (остальные создаются);
2 — ошибка в ключах или настройках, ничего не создано.
)");
}

} // namespace lumira
