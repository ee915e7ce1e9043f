// lumira-cli's command line: the input's lines are the arguments.
#include "cli/options.h"

#include <QStringList>
#include <cstddef>
#include <cstdint>
#include <exception>

using namespace lumira;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QStringList arguments = text.split(QLatin1Char('\n'));
    try {
        (void)ParseOptions(arguments);
    } catch (const UsageError&) {
        // a bad command line is refused with a message
    }
    return 0;
}
