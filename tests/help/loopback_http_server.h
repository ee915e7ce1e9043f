#pragma once
// A tiny HTTP server for tests on 127.0.0.1: a thread that accepts connections one after another,
// records each request head and plays a scripted answer. Everything it does is bounded in time, and
// it stops when destroyed.
#include <QtGlobal>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class QTcpServer;
class QThread;

namespace lumira {

class LoopbackHttpServer {
public:
    enum class Mode {
        Answer,  // writes the answer's bytes, then closes the connection
        Silent,  // reads the request and never answers; waits until the client gives up
    };

    explicit LoopbackHttpServer(std::string answer, Mode mode = Mode::Answer);
    ~LoopbackHttpServer();
    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

    quint16 Port() const { return port_; }
    // The request heads received so far (up to and including the blank line), oldest first.
    std::vector<std::string> Requests() const;
    // Silent mode: whether a client closed its connection while the server still held it (a
    // client that gives up by itself). Waits up to two seconds for the close to arrive.
    bool ClientGaveUp() const;

private:
    void Serve(QTcpServer& server);
    bool Stopping() const;

    std::string answer_;
    Mode mode_;
    quint16 port_ = 0;
    mutable std::mutex mutex_;
    std::vector<std::string> requests_;
    bool stop_ = false;
    bool clientGaveUp_ = false;
    std::unique_ptr<QThread> thread_;
};

// A loopback port on which nothing listens while this object lives: it holds the port bound but
// never listens, so a connection there is refused and no other program can take the port meanwhile.
class RefusingLoopbackPort {
public:
    RefusingLoopbackPort();
    ~RefusingLoopbackPort();
    RefusingLoopbackPort(const RefusingLoopbackPort&) = delete;
    RefusingLoopbackPort& operator=(const RefusingLoopbackPort&) = delete;
    quint16 Port() const { return port_; }

private:
    int fd_ = -1;
    quint16 port_ = 0;
};

// An answer with status 200, Content-Length and the body.
std::string OkAnswer(const std::string& body);

} // namespace lumira
