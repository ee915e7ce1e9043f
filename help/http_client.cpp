// The HTTP client on libcurl.
#include "help/http_client.h"

#include <QLibrary>
#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <memory>
#include <type_traits>

namespace lumira {

namespace {

// libcurl is loaded on the first request rather than with the program: it brings some two dozen
// libraries (TLS, Kerberos, LDAP, ...) whose loading would otherwise delay every start-up.
struct CurlLibrary {
    decltype(&::curl_global_init) global_init = nullptr;
    decltype(&::curl_easy_init) easy_init = nullptr;
    decltype(&::curl_easy_setopt) easy_setopt = nullptr;
    decltype(&::curl_easy_perform) easy_perform = nullptr;
    decltype(&::curl_easy_getinfo) easy_getinfo = nullptr;
    decltype(&::curl_easy_strerror) easy_strerror = nullptr;
    decltype(&::curl_easy_cleanup) easy_cleanup = nullptr;
    decltype(&::curl_url) url = nullptr;
    decltype(&::curl_url_set) url_set = nullptr;
    decltype(&::curl_url_get) url_get = nullptr;
    decltype(&::curl_url_cleanup) url_cleanup = nullptr;
    decltype(&::curl_slist_append) slist_append = nullptr;
    decltype(&::curl_slist_free_all) slist_free_all = nullptr;
    decltype(&::curl_free) free = nullptr;
};

const CurlLibrary* LoadCurl()
{
    static QLibrary library;
    for (const auto& [name, version] : {std::pair{"curl", 4}, std::pair{"curl", -1}, std::pair{"libcurl", -1}}) {
        library.setFileNameAndVersion(QString::fromLatin1(name), version);
        if (library.load()) break;
    }
    if (!library.isLoaded()) return nullptr;
    static CurlLibrary lib;
    bool complete = true;
    const auto resolve = [&](auto& function, const char* symbol) {
        function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(library.resolve(symbol));
        complete = complete && function;
    };
    resolve(lib.global_init, "curl_global_init");
    resolve(lib.easy_init, "curl_easy_init");
    resolve(lib.easy_setopt, "curl_easy_setopt");
    resolve(lib.easy_perform, "curl_easy_perform");
    resolve(lib.easy_getinfo, "curl_easy_getinfo");
    resolve(lib.easy_strerror, "curl_easy_strerror");
    resolve(lib.easy_cleanup, "curl_easy_cleanup");
    resolve(lib.url, "curl_url");
    resolve(lib.url_set, "curl_url_set");
    resolve(lib.url_get, "curl_url_get");
    resolve(lib.url_cleanup, "curl_url_cleanup");
    resolve(lib.slist_append, "curl_slist_append");
    resolve(lib.slist_free_all, "curl_slist_free_all");
    resolve(lib.free, "curl_free");
    if (!complete || lib.global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK) return nullptr;
    return &lib;
}

// The library, loaded and started once; "The HTTP library cannot start" when that fails.
const CurlLibrary& Curl()
{
    static const CurlLibrary* const loaded = LoadCurl();
    if (!loaded) throw HttpError("The HTTP library cannot start");
    return *loaded;
}

struct CurlFree {
    void operator()(CURL* h) const { Curl().easy_cleanup(h); }
    void operator()(CURLU* u) const { Curl().url_cleanup(u); }
    void operator()(curl_slist* l) const { Curl().slist_free_all(l); }
    void operator()(char* s) const { Curl().free(s); }
};
template <typename T>
using CurlPtr = std::unique_ptr<T, CurlFree>;

std::string UrlPart(CURLU* url, CURLUPart part)
{
    char* raw = nullptr;
    if (Curl().url_get(url, part, &raw, 0) != CURLUE_OK || !raw) return {};
    CurlPtr<char> owned(raw);
    return raw;
}

struct Receiver {
    std::string body;
    std::size_t limit = 0;
    bool overflow = false;
};

size_t Receive(char* data, size_t size, size_t count, void* user)
{
    auto* r = static_cast<Receiver*>(user);
    const size_t n = size * count;
    if (r->body.size() + n > r->limit) {
        r->overflow = true;
        return 0;  // stops the transfer
    }
    r->body.append(data, n);
    return n;
}

void Set(CURL* h, CURLoption option, long value) { Curl().easy_setopt(h, option, value); }

} // namespace

bool IsReservedInvalidName(const std::string& host)
{
    std::string name = host;
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
    while (!name.empty() && name.back() == '.') name.pop_back();
    return name == "invalid" || (name.size() > 8 && name.compare(name.size() - 8, 8, ".invalid") == 0);
}

std::string HttpClient::Get(const std::string& url) const
{
    const CurlLibrary& curl = Curl();

    CurlPtr<CURLU> address(curl.url());
    if (!address || curl.url_set(address.get(), CURLUPART_URL, url.c_str(), 0) != CURLUE_OK)
        throw HttpError("Invalid address: " + url);
    std::string scheme = UrlPart(address.get(), CURLUPART_SCHEME);
    std::transform(scheme.begin(), scheme.end(), scheme.begin(), [](unsigned char c) { return std::tolower(c); });
    if (scheme != "http") throw HttpError("Unsupported address: " + url);
    const std::string host = UrlPart(address.get(), CURLUPART_HOST);
    const std::string port = UrlPart(address.get(), CURLUPART_PORT);  // only when the address names one
    if (host.empty()) throw HttpError("Invalid address: " + url);
    if (IsReservedInvalidName(host)) throw HttpError("Could not resolve host: " + host);

    // Our own lines replace curl's Host and Accept and come in the order given.
    CurlPtr<curl_slist> lines;
    auto addLine = [&lines, &curl](const std::string& line) {
        curl_slist* head = curl.slist_append(lines.get(), line.c_str());
        if (!head) throw HttpError("Out of memory");
        lines.release();
        lines.reset(head);
    };
    addLine("Host: " + host + (port.empty() ? std::string() : ":" + port));
    addLine("Accept: " + accept);
    if (!userAgent.empty()) addLine("User-Agent: " + userAgent);

    CurlPtr<curl_slist> connectTo;
    if (!connectHost.empty()) {
        // "::host:port" sends a connection to any address to that host and port.
        connectTo.reset(curl.slist_append(nullptr, ("::" + connectHost + ":" + std::to_string(connectPort)).c_str()));
        if (!connectTo) throw HttpError("Out of memory");
    }

    CurlPtr<CURL> handle(curl.easy_init());
    if (!handle) throw HttpError("The HTTP library cannot start");
    CURL* h = handle.get();
    Receiver receiver;
    receiver.limit = maxBodyBytes;
    char errorText[CURL_ERROR_SIZE] = {};

    curl.easy_setopt(h, CURLOPT_CURLU, address.get());
    curl.easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http");
    Set(h, CURLOPT_HTTP_VERSION, CURL_HTTP_VERSION_1_1);
    Set(h, CURLOPT_HTTPGET, 1L);
    Set(h, CURLOPT_FOLLOWLOCATION, 0L);
    curl.easy_setopt(h, CURLOPT_PROXY, "");
    curl.easy_setopt(h, CURLOPT_NOPROXY, "*");
    Set(h, CURLOPT_NOSIGNAL, 1L);
    Set(h, CURLOPT_FORBID_REUSE, 1L);
    Set(h, CURLOPT_HTTP_CONTENT_DECODING, 0L);
    Set(h, CURLOPT_HTTP_TRANSFER_DECODING, 1L);
    Set(h, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(std::max<long long>(1, connectTimeout.count())));
    Set(h, CURLOPT_TIMEOUT_MS, static_cast<long>(std::max<long long>(1, totalTimeout.count())));
    curl.easy_setopt(h, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(maxBodyBytes));
    curl.easy_setopt(h, CURLOPT_HTTPHEADER, lines.get());
    if (connectTo) curl.easy_setopt(h, CURLOPT_CONNECT_TO, connectTo.get());
    curl.easy_setopt(h, CURLOPT_WRITEFUNCTION, &Receive);
    curl.easy_setopt(h, CURLOPT_WRITEDATA, &receiver);
    curl.easy_setopt(h, CURLOPT_ERRORBUFFER, errorText);

    const CURLcode result = curl.easy_perform(h);
    if (receiver.overflow || result == CURLE_FILESIZE_EXCEEDED)
        throw HttpError("The answer is longer than " + std::to_string(maxBodyBytes) + " bytes");
    if (result != CURLE_OK)
        throw HttpError(errorText[0] ? std::string(errorText) : std::string(curl.easy_strerror(result)));
    long status = 0;
    curl.easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
    if (status < 200 || status > 299) throw HttpError("HTTP status " + std::to_string(status));
    return std::move(receiver.body);
}

} // namespace lumira
