// The HTTP client against a local server: what it sends, what it gives back, what it refuses.
#include "help/http_client.h"
#include "loopback_http_server.h"

#include <gtest/gtest.h>

namespace lumira {

namespace {

std::string Local(quint16 port, const std::string& path = "/v")
{
    return "http://127.0.0.1:" + std::to_string(port) + path;
}

std::string AllBytes()
{
    std::string bytes;
    for (int i = 0; i < 256; ++i) bytes += static_cast<char>(i);
    return bytes + "\r\n\n\r";
}

} // namespace

TEST(HttpClientRequest, CarriesExactlyTheThreeHeaderLines)
{
    LoopbackHttpServer server(OkAnswer("x"));
    HttpClient client;
    client.accept = "text/html, */*";
    client.userAgent = "Velmar";
    EXPECT_EQ(client.Get(Local(server.Port(), "/go/text/velmar/version")), "x");
    // Without a user agent the line is left out; the Host line names a port only when given.
    HttpClient plain;
    plain.connectHost = "127.0.0.1";
    plain.connectPort = server.Port();
    plain.Get("http://www.example.org/a/b?c=d");
    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0], "GET /go/text/velmar/version HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(server.Port()) +
                               "\r\nAccept: text/html, */*\r\nUser-Agent: Velmar\r\n\r\n");
    EXPECT_EQ(requests[1], "GET /a/b?c=d HTTP/1.1\r\nHost: www.example.org\r\nAccept: */*\r\n\r\n");
}

TEST(HttpClientAnswer, BodyComesBackByteForByteHoweverItsEndIsMarked)
{
    HttpClient client;
    const std::string bytes = AllBytes();
    {
        LoopbackHttpServer sized(OkAnswer(bytes));
        EXPECT_EQ(client.Get(Local(sized.Port())), bytes);
    }
    {
        std::string chunked = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n";
        for (size_t at = 0; at < bytes.size(); at += 100) {
            const std::string piece = bytes.substr(at, 100);
            char size[16];
            std::snprintf(size, sizeof size, "%zx\r\n", piece.size());
            chunked += size + piece + "\r\n";
        }
        chunked += "0\r\n\r\n";
        LoopbackHttpServer server(chunked);
        EXPECT_EQ(client.Get(Local(server.Port())), bytes);
    }
    {
        LoopbackHttpServer untilClose("HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n" + bytes);
        EXPECT_EQ(client.Get(Local(untilClose.Port())), bytes);
    }
    {
        // A content coding is not undone: the body is what the server sent.
        LoopbackHttpServer gzip("HTTP/1.1 200 OK\r\nContent-Encoding: gzip\r\nContent-Length: 4\r\n\r\nabcd");
        EXPECT_EQ(client.Get(Local(gzip.Port())), "abcd");
    }
    {
        LoopbackHttpServer noContent("HTTP/1.1 204 No Content\r\n\r\n");
        EXPECT_EQ(client.Get(Local(noContent.Port())), "");
    }
}

TEST(HttpClientAnswer, BodyLimitIsInclusive)
{
    HttpClient client;
    client.maxBodyBytes = 1000;
    LoopbackHttpServer exact(OkAnswer(std::string(1000, 'a')));
    EXPECT_EQ(client.Get(Local(exact.Port())).size(), 1000u);
    LoopbackHttpServer sized(OkAnswer(std::string(1001, 'a')));
    EXPECT_THROW(client.Get(Local(sized.Port())), HttpError);
    LoopbackHttpServer untilClose("HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n" + std::string(1001, 'a'));
    EXPECT_THROW(client.Get(Local(untilClose.Port())), HttpError);
}

TEST(HttpClientFailure, AnythingButACompleteSuccessfulAnswerThrows)
{
    HttpClient client;
    for (const char* answer : {
             "HTTP/1.1 404 Not Found\r\nContent-Length: 2\r\n\r\nno",
             "HTTP/1.1 301 Moved Permanently\r\nLocation: /other\r\nContent-Length: 0\r\n\r\n",
             "HTTP/1.1 304 Not Modified\r\n\r\n",
             "HTTP/1.1 500 Internal Server Error\r\nContent-Length: 0\r\n\r\n",
             "HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\nshort",             // cut short
             "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nab",  // chunk cut short
             "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nzz\r\n",   // not a chunk size
             "1.0.4a\n",                                                     // no status line
             "",                                                             // nothing at all
         }) {
        SCOPED_TRACE(answer);
        LoopbackHttpServer server(answer);
        EXPECT_THROW(client.Get(Local(server.Port())), HttpError);
        // Nothing is asked twice: redirects are not followed.
        EXPECT_EQ(server.Requests().size(), 1u);
    }
}

TEST(HttpClientFailure, UnreachableServersAndTimeLimits)
{
    HttpClient client;
    EXPECT_THROW(client.Get("http://a.b.INVALID./x"), HttpError);
    EXPECT_THROW(client.Get("ftp://127.0.0.1/x"), HttpError);
    EXPECT_THROW(client.Get("not an address"), HttpError);

    LoopbackHttpServer silent("", LoopbackHttpServer::Mode::Silent);
    client.totalTimeout = std::chrono::milliseconds(200);
    EXPECT_THROW(client.Get(Local(silent.Port())), HttpError);
    EXPECT_EQ(silent.Requests().size(), 1u);
    EXPECT_TRUE(silent.ClientGaveUp());  // the client's limit ended the wait, not the server
}

} // namespace lumira
