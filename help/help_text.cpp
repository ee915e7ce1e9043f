// The help window's text: the program's title, its authors and how to reach them, the reader it
// builds on, the update link and the release notes, newest first.
#include "help/help_text.h"

const QStringList& StoredHelpText()
{
    static const QStringList kLines = {
        QStringLiteral("<P align=\"center\"><FONT color=\"#0000FF\" size=\"12\" face=\"Tahoma\">"),
        QStringLiteral("<SHADOW>Lumira generator</SHADOW></FONT></P><BR>"),
        QStringLiteral("<P align=\"left\"><FONT size=\"10\" face=\"Tahoma\">"),
        QStringLiteral("Автором программы-генератора и мидлета является команда Lumira<BR>"),
        QStringLiteral("С вопросами, пожеланиями и баг-репортами обращаться на e-mail: "),
        QStringLiteral("<A href=\"mailto:lumira@example.org\">lumira@example.org</A><BR>"),
        QStringLiteral("В качестве основы мидлета были использованы исходные тексты Lumira "),
        QStringLiteral("<A href=\"http://www.example.org/lumira/\">www.example.org/lumira</A><BR>"),
        QStringLiteral("<B><A href=\"get_updates\">Проверить наличие обновлений на сайте</A></B>"),
        QStringLiteral(" (требуется подключение к Интернет)</FONT></P><BR>"),

        QStringLiteral("<P align=\"center\"><FONT size=\"12\" face=\"Tahoma\">Новости данной версии программы:</FONT></P>"),
        QStringLiteral("<P align=\"left\"><FONT size=\"10\" face=\"Tahoma\"><UL>"),
        QStringLiteral("<LI>Исправлена ошибка генератора: не удалялся текст, оставшийся от формирования предыдущей книги.</LI>"),
        QStringLiteral("</UL></FONT></P>"),

        QStringLiteral("<P align=\"center\"><FONT size=\"12\" face=\"Tahoma\">Новости версии 1.0.3a</FONT></P>"),
        QStringLiteral("<P align=\"left\"><FONT size=\"10\" face=\"Tahoma\"><UL>"),
        QStringLiteral("<LI>Исправлена ошибка нечеткой реакции мидлета на нажатие клавиш</LI>"),
        QStringLiteral("<LI>Исправлена ошибка в форматировании текста</LI>"),
        QStringLiteral("</UL></FONT></P>"),

        QStringLiteral("<P align=\"center\"><FONT size=\"12\" face=\"Tahoma\">Новости версии 1.0.0a:</FONT></P>"),
        QStringLiteral("<P align=\"left\"><FONT size=\"10\" face=\"Tahoma\"><UL>"),
        QStringLiteral("<LI>В мидлете слегка увеличена скорость отрисовки текста</LI>"),
        QStringLiteral("<LI>В генератор добавлена функция создания/редактирования профилей под любое устройство, "),
        QStringLiteral("поддерживающее MIDP-2.0</LI>"),
        QStringLiteral("</UL></FONT></P>"),

        QStringLiteral("<P align=\"center\"><FONT size=\"12\" face=\"Tahoma\">Новости версии 0.9.6:</FONT></P>"),
        QStringLiteral("<P align=\"left\"><FONT size=\"10\" face=\"Tahoma\"><UL>"),
        QStringLiteral("<LI>Улучшен алгоритм генерации шрифта, что дает несколько меньший объем файла на выходе</LI>"),
        QStringLiteral("<LI>Исправлены ошибки алгоритма генерации шрифта.</LI>"),
        QStringLiteral("<LI>Исправлены ошибки с неверным запоминанием путей в окнах открытия файла текста и "),
        QStringLiteral("сохранения мидлета.</LI>"),
        QStringLiteral("<LI>Исправлены ошибки в расстановке переносов.</LI>"),
        QStringLiteral("</UL></FONT></P>"),
    };
    return kLines;
}
