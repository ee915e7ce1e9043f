#pragma once
// Colour values 0x00BBGGRR (red in the low byte); a value with the top bit set names a system
// colour by its index in the low byte.
#include <cstdint>

namespace lumira {

using ColorValue = std::int32_t;

inline ColorValue MakeColorValue(int red, int green, int blue)
{
    return (blue & 0xFF) << 16 | (green & 0xFF) << 8 | (red & 0xFF);
}

} // namespace lumira
