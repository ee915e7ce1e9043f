#include "app/font_configuration.h"

#include <mutex>
#include <system_error>
#include <thread>

#ifdef LUMIRA_HAVE_FONTCONFIG
#include <fontconfig/fontconfig.h>
#endif

namespace lumira {

namespace {

std::mutex readerMutex;
std::thread reader;

} // namespace

EarlyFontConfiguration::EarlyFontConfiguration()
{
#ifdef LUMIRA_HAVE_FONTCONFIG
    const std::lock_guard lock(readerMutex);
    if (reader.joinable()) return;
    try {
        reader = std::thread([] { FcInit(); });
    } catch (const std::system_error&) {
        // No thread to spare: the window reads the configuration itself when it needs it.
    }
#endif
}

EarlyFontConfiguration::~EarlyFontConfiguration()
{
    WaitForFontConfiguration();
}

void WaitForFontConfiguration()
{
    const std::lock_guard lock(readerMutex);
    if (reader.joinable()) reader.join();
}

} // namespace lumira
