// The help window's texts: how to make a book and read it on a phone; and the program's title, its
// authors and how to reach them, the reader it builds on, the update link and the release notes,
// newest first.
#include "help/help_text.h"

#include <QCoreApplication>

namespace lumira {

namespace {

// The lines in the program's own language; translate() gives them in the language in use.
const char* const kLines[] = {
    "<P align=\"center\"><FONT color=\"#0000FF\" size=\"12\" face=\"Tahoma\">",
    "<SHADOW>Lumira generator</SHADOW></FONT></P><BR>",
    "<P align=\"left\"><FONT size=\"10\" face=\"Tahoma\">",
    QT_TRANSLATE_NOOP("HelpText", "Автором программы-генератора и мидлета является команда Lumira<BR>"),
    QT_TRANSLATE_NOOP("HelpText", "С вопросами, пожеланиями и баг-репортами обращаться на e-mail: "),
    "<A href=\"mailto:lumira@example.org\">lumira@example.org</A><BR>",
    QT_TRANSLATE_NOOP("HelpText", "В качестве основы мидлета были использованы исходные тексты Lumira "),
    "<A href=\"http://www.example.org/lumira/\">www.example.org/lumira</A><BR>",
    QT_TRANSLATE_NOOP("HelpText", "<B><A href=\"get_updates\">Проверить наличие обновлений на сайте</A></B>"),
    QT_TRANSLATE_NOOP("HelpText", " (требуется подключение к Интернет)</FONT></P><BR>"),

    QT_TRANSLATE_NOOP("HelpText", "<P align=\"center\"><FONT size=\"12\" face=\"Tahoma\">Новости данной версии программы:</FONT></P>"),
    "<P align=\"left\"><FONT size=\"10\" face=\"Tahoma\"><UL>",
    QT_TRANSLATE_NOOP("HelpText", "<LI>Исправлена ошибка генератора: не удалялся текст, оставшийся от формирования предыдущей книги.</LI>"),
    "</UL></FONT></P>",

    QT_TRANSLATE_NOOP("HelpText", "<P align=\"center\"><FONT size=\"12\" face=\"Tahoma\">Новости версии 1.0.3a</FONT></P>"),
    "<P align=\"left\"><FONT size=\"10\" face=\"Tahoma\"><UL>",
    QT_TRANSLATE_NOOP("HelpText", "<LI>Исправлена ошибка нечеткой реакции мидлета на нажатие клавиш</LI>"),
    QT_TRANSLATE_NOOP("HelpText", "<LI>Исправлена ошибка в форматировании текста</LI>"),
    "</UL></FONT></P>",

    QT_TRANSLATE_NOOP("HelpText", "<P align=\"center\"><FONT size=\"12\" face=\"Tahoma\">Новости версии 1.0.0a:</FONT></P>"),
    "<P align=\"left\"><FONT size=\"10\" face=\"Tahoma\"><UL>",
    QT_TRANSLATE_NOOP("HelpText", "<LI>В мидлете слегка увеличена скорость отрисовки текста</LI>"),
    QT_TRANSLATE_NOOP("HelpText", "<LI>В генератор добавлена функция создания/редактирования профилей под любое устройство, "),
    QT_TRANSLATE_NOOP("HelpText", "поддерживающее MIDP-2.0</LI>"),
    "</UL></FONT></P>",

    QT_TRANSLATE_NOOP("HelpText", "<P align=\"center\"><FONT size=\"12\" face=\"Tahoma\">Новости версии 0.9.6:</FONT></P>"),
    "<P align=\"left\"><FONT size=\"10\" face=\"Tahoma\"><UL>",
    QT_TRANSLATE_NOOP("HelpText", "<LI>Улучшен алгоритм генерации шрифта, что дает несколько меньший объем файла на выходе</LI>"),
    QT_TRANSLATE_NOOP("HelpText", "<LI>Исправлены ошибки алгоритма генерации шрифта.</LI>"),
    QT_TRANSLATE_NOOP("HelpText", "<LI>Исправлены ошибки с неверным запоминанием путей в окнах открытия файла текста и "),
    QT_TRANSLATE_NOOP("HelpText", "сохранения мидлета.</LI>"),
    QT_TRANSLATE_NOOP("HelpText", "<LI>Исправлены ошибки в расстановке переносов.</LI>"),
    "</UL></FONT></P>",
};

const char* const kHeadingStart = "<P align=\"center\"><FONT color=\"#0000FF\" size=\"12\" face=\"Tahoma\">";
const char* const kHeadingEnd = "</FONT></P>";
const char* const kBodyStart = "<P align=\"left\"><FONT size=\"10\" face=\"Tahoma\">";
const char* const kBodyEnd = "</FONT></P>";

// The how-to page, in order: headings, and the paragraphs and lists under each, as markup.
struct HowToLine {
    bool heading;
    const char* text;
};

const HowToLine kHowTo[] = {
    {true, QT_TRANSLATE_NOOP("HelpText", "Как сделать книгу")},
    {false, QT_TRANSLATE_NOOP("HelpText", "<UL><LI><B>Текст</B>: кнопка «…» выбирает файл — простой текст (Windows-1251, UTF-8, "
                                   "UTF-16, KOI8-R, CP866; кнопка рядом задаёт кодировку, «Авто» определяет её сама), книгу "
                                   "FB2 (и FB2 в ZIP), EPUB или HTML. Стрелка на кнопке «…» открывает десять недавних "
                                   "текстов. Файл можно и перетащить на окно, и назвать при запуске: lumira ФАЙЛ.</LI>")},
    {false, QT_TRANSLATE_NOOP("HelpText", "<LI><B>Название</B> — так книга будет называться в телефоне (до 20 символов).</LI>")},
    {false, QT_TRANSLATE_NOOP("HelpText", "<LI><B>Профиль</B> — ваш телефон: размер экрана, коды программных клавиш и действия "
                                   "джойстика. Нет вашего телефона — добавьте его кнопкой «Профили».</LI>")},
    {false, QT_TRANSLATE_NOOP("HelpText", "<LI><B>Шрифт</B>, <B>Фон</B> и <B>Подрезка</B> задают вид текста. Предпросмотр справа "
                                   "показывает страницу такой, какой её покажет телефон; кнопки под ним листают страницы и "
                                   "включают системную полосу.</LI>")},
    {false, QT_TRANSLATE_NOOP("HelpText", "<LI><B>Создать</B> спрашивает, куда сохранить книгу, и записывает два файла: "
                                   "книга.jar (сама книга с читалкой) и книга.jad (её описание).</LI></UL>")},
    {true, QT_TRANSLATE_NOOP("HelpText", "Как перенести книгу в телефон")},
    {false, QT_TRANSLATE_NOOP("HelpText", "<UL><LI><B>По кабелю</B>: подключите телефон к компьютеру как съёмный диск (или "
                                   "программой для вашего телефона), скопируйте файл .jar в его память или на карту — "
                                   "обычно в папку для Java-приложений или игр. Затем на телефоне откройте этот файл "
                                   "в диспетчере файлов и согласитесь установить приложение.</LI>")},
    {false, QT_TRANSLATE_NOOP("HelpText", "<LI><B>По Bluetooth</B>: включите Bluetooth на телефоне и на компьютере, отправьте файл "
                                   ".jar на телефон (в диспетчере файлов: «Отправить» — «Bluetooth»). Телефон примет его "
                                   "как сообщение и предложит установить.</LI>")},
    {false, QT_TRANSLATE_NOOP("HelpText", "<LI>Некоторые телефоны устанавливают книгу из файла .jad: тогда скопируйте оба файла в "
                                   "одну папку и откройте .jad.</LI></UL>")},
    {true, QT_TRANSLATE_NOOP("HelpText", "Клавиши читалки")},
    {false, QT_TRANSLATE_NOOP("HelpText", "<UL><LI><B>Джойстик</B> листает книгу так, как задано в профиле телефона (раздел "
                                   "«Раскладка»). Обычно вверх — экран назад, вниз — экран вперёд, влево — строка назад, "
                                   "вправо — строка вперёд.</LI>")},
    {false, QT_TRANSLATE_NOOP("HelpText", "<LI><B>Левая программная клавиша</B> (или клавиша меню из профиля) открывает меню.</LI>")},
    {false, QT_TRANSLATE_NOOP("HelpText", "<LI><B>Правая программная клавиша</B> закрывает читалку; в меню она возвращает "
                                   "назад.</LI>")},
    {false, QT_TRANSLATE_NOOP("HelpText", "<LI>В меню вверх и вниз выбирают пункт, центральная клавиша джойстика или левая "
                                   "программная выполняют его.</LI>")},
    {false, QT_TRANSLATE_NOOP("HelpText", "<LI>Читалка сама запоминает место: при следующем запуске книга откроется там, где "
                                   "вы остановились.</LI></UL>")},
    {true, QT_TRANSLATE_NOOP("HelpText", "Меню читалки")},
    {false, QT_TRANSLATE_NOOP("HelpText", "<UL><LI><B>Перейти к…</B> — на место книги в процентах: цифры набирают число, влево и "
                                   "вправо меняют его на 1 %, вверх и вниз — на 10 %, центральная клавиша переходит; 100 % — "
                                   "последняя страница, как в просмотре.</LI>")},
    {false, QT_TRANSLATE_NOOP("HelpText", "<LI><B>Содержание</B> — есть, когда у книги есть заголовки (главы FB2, EPUB, HTML или "
                                   "строки вроде «Глава 5» в простом тексте): список открывается на читаемой главе, выбор "
                                   "показывает страницу, которая начинается с заголовка, — ту же, что просмотр.</LI>")},
    {false, QT_TRANSLATE_NOOP("HelpText", "<LI><B>Системная полоса</B> — показать или скрыть полосу с часами и долей "
                                   "прочитанного.</LI>")},
    {false, QT_TRANSLATE_NOOP("HelpText", "<LI><B>Закладки</B> — первая строка «Добавить закладку» отмечает открытую страницу (до "
                                   "32 закладок) и называется её главой или первыми словами страницы и долей прочитанного; выбранную "
                                   "закладку можно «Перейти» или «Удалить».</LI>")},
    {false, QT_TRANSLATE_NOOP("HelpText", "<LI><B>Ночной режим</B> — цвета текста и фона меняются на обратные; выбор ещё раз "
                                   "возвращает их.</LI>")},
    {false, QT_TRANSLATE_NOOP("HelpText", "<LI><B>Выход</B> — закрыть читалку.</LI></UL>")},
    {true, QT_TRANSLATE_NOOP("HelpText", "Тома")},
    {false, QT_TRANSLATE_NOOP("HelpText", "Некоторые телефоны не устанавливают приложения больше определённого размера. Задайте "
                                   "его в профиле телефона («Предел пакета, КБ»): книга больше предела делится по возможности по "
                                   "концам абзацев на тома — книга_1.jar, книга_2.jar… с названиями «Название 1», «Название 2»…. "
                                   "Каждый том — отдельная книга; перенесите в телефон все тома.")},
};

} // namespace

QStringList HowToText()
{
    QStringList lines;
    bool inBody = false;
    for (const HowToLine& line : kHowTo) {
        const QString text = QCoreApplication::translate("HelpText", line.text);
        if (line.heading) {
            if (inBody) lines << QString::fromLatin1(kBodyEnd) + QStringLiteral("<BR>");
            lines << QString::fromLatin1(kHeadingStart) + text + QString::fromLatin1(kHeadingEnd) << QString::fromLatin1(kBodyStart);
            inBody = true;
        } else {
            lines << text;
        }
    }
    if (inBody) lines << QString::fromLatin1(kBodyEnd);
    return lines;
}

QStringList StoredHelpText()
{
    QStringList lines;
    for (const char* line : kLines) lines << QCoreApplication::translate("HelpText", line);
    return lines;
}

} // namespace lumira
