#pragma once
// Failures are exceptions that carry the message the user sees (UTF-8), in the interface language.
#include <cerrno>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace lumira {

class AppError : public std::runtime_error {
public:
    explicit AppError(const std::string& messageUtf8, int systemError = 0)
        : std::runtime_error(messageUtf8), systemError_(systemError)
    {
    }
    // The errno value behind a failure of the system, 0 for any other failure.
    int SystemError() const { return systemError_; }

private:
    int systemError_;
};

// Work given up because it was asked to stop (the window's Cancel, Ctrl+C, a reader that no
// longer wants the text): not a failure, and never reported as one; the message says what
// stopped, where one is shown.
class Cancelled : public AppError {
public:
    explicit Cancelled(const std::string& messageUtf8) : AppError(messageUtf8) {}
};

// A path as the user reads it in a message: native separators, UTF-8.
std::string PathText(const std::filesystem::path& path);

// The system's reason for a failure, from an errno value, in the interface language ("" for 0):
// our own wording of the common ones, the C library's for the rest.
std::string SystemReason(int error);

// The file layer's failure texts: what failed, the whole path in quotes, and after a colon the
// system's reason. `error` is the errno value of the failed call (read where the call is made,
// so the default is errno as it stands there); 0 gives no reason.
std::string CannotOpenText(const std::filesystem::path& path, int error);
std::string CannotCreateText(const std::filesystem::path& path, int error);
std::string UnableToWriteText(const std::filesystem::path& path, int error);
[[noreturn]] void ThrowCannotOpen(const std::filesystem::path& path, int error = errno);
[[noreturn]] void ThrowCannotCreate(const std::filesystem::path& path, int error = errno);
[[noreturn]] void ThrowUnableToWrite(const std::filesystem::path& path, int error = errno);
[[noreturn]] void ThrowStreamReadError(int error = errno);
// "Не удаётся создать папку «…»: <reason>".
std::string CannotCreateFolderText(const std::filesystem::path& path, int error);

// What a caught failure tells the user: an AppError's own message; a failure of the system that
// came from the standard library (a file system call, memory) in the same words as the file
// layer's, in the interface language; any other exception's own text.
std::string FailureText(const std::exception& failure);

// A pipe, device or socket where a file was expected.
[[noreturn]] void ThrowNotRegularFile(const std::filesystem::path& path);

} // namespace lumira
