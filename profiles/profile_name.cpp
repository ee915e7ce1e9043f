#include "profiles/profile_name.h"

#include "platform/cp1251.h"

#include <QCoreApplication>

namespace lumira {

namespace {

bool IsIniBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

} // namespace

QString ProfileNameProblem(const QString& name)
{
    if (name.isEmpty()) return QString();
    if (name.contains(QLatin1Char('\r')) || name.contains(QLatin1Char('\n')))
        return QCoreApplication::translate("ProfileName", "Название профиля не может содержать перевод строки.");
    if (name.contains(QLatin1Char(']')))
        return QCoreApplication::translate("ProfileName", "Название профиля не может содержать символ «]».");
    if (IsIniBlank(name.front()) || IsIniBlank(name.back()))
        return QCoreApplication::translate("ProfileName", "Название профиля не может начинаться или заканчиваться пробелом.");
    if (name.contains(QChar(0)))
        return QCoreApplication::translate("ProfileName", "Название профиля не может содержать нулевой символ.");
    if (!FitsCp1251(name))
        return QCoreApplication::translate("ProfileName", "Название профиля содержит символы, которых нет в кодировке Windows-1251.");
    return QString();
}

} // namespace lumira
