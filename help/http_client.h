#pragma once
// A small HTTP/1.1 client for one GET at a time.
//
// The request carries exactly three header lines, in this order: Host, Accept and User-Agent
// (the last only when set). No proxy is used, redirects are not followed, the body is not
// decoded (only the transfer coding is undone) and comes back byte for byte. Anything but a
// complete answer with a 2xx status is an HttpError: a name that does not resolve, a refused or
// broken connection, an answer that is not HTTP, any other status, a time limit passed, or a body
// longer than the limit.
#include "platform/errors.h"

#include <chrono>
#include <cstddef>
#include <string>

namespace lumira {

class HttpError : public AppError {
public:
    using AppError::AppError;
};

class HttpClient {
public:
    std::string accept = "*/*";
    std::string userAgent;  // empty: no User-Agent line

    // Limits: connecting (name resolution included), the whole exchange, and the body's size.
    std::chrono::milliseconds connectTimeout{10'000};
    std::chrono::milliseconds totalTimeout{30'000};
    std::size_t maxBodyBytes = 64 * 1024;

    // Connects to this host and port instead of the ones the address names; the request itself
    // is unchanged (tests point a real address at a local server). Empty: off.
    std::string connectHost;
    int connectPort = 0;

    // GET of an "http://host[:port]/path" address; returns the body.
    std::string Get(const std::string& url) const;
};

// Names under the reserved top-level domain "invalid" never resolve; they fail without asking
// the name service.
bool IsReservedInvalidName(const std::string& host);

} // namespace lumira
