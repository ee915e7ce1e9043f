#pragma once
// The book's 27-byte settings record, read by the reader midlet from the package's "config".
#include "platform/colors.h"
#include "profiles/profile.h"

#include <array>
#include <cstdint>

namespace lumira {

using SettingsRecord = std::array<std::uint8_t, 27>;

// Bytes of text in one piece, and the most pieces the record can count.
constexpr std::uint32_t kChunkSize = 32767;
constexpr std::uint32_t kMaxChunkCount = 0xFFFF;
constexpr std::uint64_t kMaxTextSize = std::uint64_t{kMaxChunkCount} * kChunkSize;  // 2147385345

// Number of pieces of a text of `size` bytes: size / 32767, rounded up.
std::uint64_t ChunkCountOf(std::uint64_t size);

// Fills every byte of the record except byte 4, which belongs to nobody and is left as it is.
// `syslineIndex` is the selected system-line position (-1 when none: byte 26 becomes 0).
void FillSettingsRecord(SettingsRecord& record, std::uint32_t textSize, ColorValue background,
                        const PhoneProfile& profile, std::uint16_t chunkCount, int syslineIndex);

} // namespace lumira
