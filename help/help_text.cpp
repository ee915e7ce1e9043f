// The help window's text: the program's title, its authors and how to reach them, the reader it
// builds on, the update link and the release notes, newest first.
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

} // namespace

QStringList StoredHelpText()
{
    QStringList lines;
    for (const char* line : kLines) lines << QCoreApplication::translate("HelpText", line);
    return lines;
}

} // namespace lumira
