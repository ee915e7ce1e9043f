// config.ini and profiles.ini as read: any bytes, every section and the keys the program reads.
#include "platform/ini_file.h"
#include "profiles/profile.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

using namespace lumira;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const IniView view(std::string_view(reinterpret_cast<const char*>(data), size));
    for (const std::string& section : view.ReadSections()) {
        const PhoneProfile profile = ReadProfile(view, section);
        (void)ProfileScreenSize(&profile);
        (void)view.ReadString(section, "Name", "");
        (void)view.KeyExists(section, "Size");
    }
    (void)view.ReadInteger("Global", "UpperCut", 0);
    (void)view.ReadBool("Font", "Bold", false);
    return 0;
}
