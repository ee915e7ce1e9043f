#pragma once
// Test texts written in UTF-8 in the source and used as the cp1251 bytes the program holds.
#include "platform/cp1251.h"

#include <QString>
#include <string>
#include <string_view>

namespace lumira {

// cp1251 bytes of a UTF-8 text; characters cp1251 lacks become `replacement`.
inline std::string Utf8ToCp1251(std::string_view utf8, char replacement = '?')
{
    return QStringToCp1251(QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())), replacement);
}

} // namespace lumira
