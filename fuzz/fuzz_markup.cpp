// The help window's markup: any text as the help file would hold it, in both layers.
#include "help/html_markup.h"

#include <QGuiApplication>
#include <QTextDocument>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace lumira;

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString markup = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const MarkupStyle style;
    QTextDocument doc;
    BuildRichText(doc, markup, style, MarkupLayer::Text);
    BuildRichText(doc, markup, style, MarkupLayer::Shadow);
    (void)FontSizePoints(markup.left(16));
    return 0;
}
