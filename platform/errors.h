#pragma once
// Failures are exceptions that carry the message the user sees (UTF-8).
#include <filesystem>
#include <stdexcept>
#include <string>

namespace lumira {

class AppError : public std::runtime_error {
public:
    explicit AppError(const std::string& messageUtf8) : std::runtime_error(messageUtf8) {}
};

// A path as the user reads it in a message: native separators, UTF-8.
std::string PathText(const std::filesystem::path& path);

// The file layer's four failure texts.
[[noreturn]] void ThrowCannotOpen(const std::filesystem::path& path);
[[noreturn]] void ThrowCannotCreate(const std::filesystem::path& path);
[[noreturn]] void ThrowUnableToWrite(const std::filesystem::path& path);
[[noreturn]] void ThrowStreamReadError();
// A pipe, device or socket where a file was expected.
[[noreturn]] void ThrowNotRegularFile(const std::filesystem::path& path);

} // namespace lumira
