#include "platform/errors.h"

namespace lumira {

std::string PathText(const std::filesystem::path& path)
{
    const auto u8 = std::filesystem::path(path).make_preferred().u8string();
    return std::string(u8.begin(), u8.end());
}

void ThrowNotRegularFile(const std::filesystem::path& path)
{
    throw AppError("Это не обычный файл (канал, устройство или сокет): " + PathText(path));
}

void ThrowCannotOpen(const std::filesystem::path& path)
{
    throw AppError("Cannot open file " + PathText(path));
}

void ThrowCannotCreate(const std::filesystem::path& path)
{
    throw AppError("Cannot create file " + PathText(path));
}

void ThrowUnableToWrite(const std::filesystem::path& path)
{
    throw AppError("Unable to write to " + PathText(path));
}

void ThrowStreamReadError()
{
    throw AppError("Stream read error");
}

} // namespace lumira
