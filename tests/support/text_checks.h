#pragma once
// Small helpers for checking failures and texts in tests.
#include <exception>
#include <functional>
#include <string>

namespace lumira {

// The message of what `action` throws, or "" when it throws nothing.
inline std::string ErrorOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const std::exception& e) {
        return e.what();
    }
    return {};
}

inline bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

} // namespace lumira
