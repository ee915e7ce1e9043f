#include "book/settings_record.h"

namespace lumira {

namespace {

void Put16(SettingsRecord& r, size_t at, std::uint32_t v)
{
    r[at] = static_cast<std::uint8_t>(v & 0xFF);
    r[at + 1] = static_cast<std::uint8_t>((v >> 8) & 0xFF);
}

std::uint8_t Low8(std::int32_t v)
{
    return static_cast<std::uint8_t>(static_cast<std::uint32_t>(v) & 0xFF);
}

} // namespace

std::uint64_t ChunkCountOf(std::uint64_t size)
{
    return size / kChunkSize + (size % kChunkSize > 0 ? 1 : 0);
}

void FillSettingsRecord(SettingsRecord& r, std::uint32_t textSize, ColorValue background, const PhoneProfile& profile,
                        std::uint16_t chunkCount, int syslineIndex)
{
    Put16(r, 0, textSize & 0xFFFF);
    Put16(r, 2, textSize >> 16);
    const auto colour = static_cast<std::uint32_t>(background);
    r[5] = static_cast<std::uint8_t>((colour >> 16) & 0xFF);  // blue
    r[6] = static_cast<std::uint8_t>((colour >> 8) & 0xFF);   // green
    r[7] = static_cast<std::uint8_t>(colour & 0xFF);          // red
    Put16(r, 8, static_cast<std::uint32_t>(profile.Width));
    Put16(r, 10, static_cast<std::uint32_t>(profile.Height));
    r[12] = profile.setFullScreen ? 1 : 0;
    r[13] = Low8(profile.LSoft);
    r[14] = Low8(profile.RSoft);
    r[15] = Low8(profile.Menu);
    r[16] = Low8(profile.OnUp);
    r[17] = Low8(profile.OnDown);
    r[18] = Low8(profile.OnLeft);
    r[19] = Low8(profile.OnRight);
    Put16(r, 20, chunkCount);
    // The piece length, 32767, as a 32-bit little-endian value.
    r[22] = 0xFF;
    r[23] = 0x7F;
    r[24] = 0;
    r[25] = 0;
    r[26] = Low8(syslineIndex + 1);
}

} // namespace lumira
