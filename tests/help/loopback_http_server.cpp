#include "loopback_http_server.h"

#include <QDeadlineTimer>
#include <QSemaphore>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace lumira {

namespace {

// No test exchange takes longer; a server left waiting gives up by itself.
constexpr int kLifetimeMs = 15'000;
constexpr int kPollMs = 20;

} // namespace

LoopbackHttpServer::LoopbackHttpServer(std::string answer, Mode mode) : answer_(std::move(answer)), mode_(mode)
{
    QSemaphore listening;
    thread_.reset(QThread::create([this, &listening] {
        QTcpServer server;
        server.listen(QHostAddress::LocalHost, 0);
        port_ = server.serverPort();
        listening.release();
        if (port_ != 0) Serve(server);
    }));
    thread_->start();
    listening.acquire();
}

LoopbackHttpServer::~LoopbackHttpServer()
{
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    thread_->wait();
}

std::vector<std::string> LoopbackHttpServer::Requests() const
{
    std::lock_guard lock(mutex_);
    return requests_;
}

bool LoopbackHttpServer::ClientGaveUp() const
{
    const QDeadlineTimer wait(2000);
    for (;;) {
        {
            std::lock_guard lock(mutex_);
            if (clientGaveUp_) return true;
        }
        if (wait.hasExpired()) return false;
        QThread::msleep(kPollMs);
    }
}

bool LoopbackHttpServer::Stopping() const
{
    std::lock_guard lock(mutex_);
    return stop_;
}

void LoopbackHttpServer::Serve(QTcpServer& server)
{
    const QDeadlineTimer lifetime(kLifetimeMs);
    while (!Stopping() && !lifetime.hasExpired()) {
        if (!server.waitForNewConnection(kPollMs)) continue;
        std::unique_ptr<QTcpSocket> socket(server.nextPendingConnection());
        if (!socket) continue;
        std::string head;
        while (head.find("\r\n\r\n") == std::string::npos && socket->state() == QAbstractSocket::ConnectedState &&
               !Stopping() && !lifetime.hasExpired()) {
            socket->waitForReadyRead(kPollMs);
            head += socket->readAll().toStdString();
        }
        {
            std::lock_guard lock(mutex_);
            requests_.push_back(head);
        }
        if (mode_ == Mode::Silent) {
            while (socket->state() == QAbstractSocket::ConnectedState && !Stopping() && !lifetime.hasExpired()) {
                socket->waitForReadyRead(kPollMs);
                socket->readAll();
            }
            if (socket->state() != QAbstractSocket::ConnectedState) {
                std::lock_guard lock(mutex_);
                clientGaveUp_ = true;
            }
            continue;
        }
        socket->write(answer_.data(), static_cast<qint64>(answer_.size()));
        while (socket->bytesToWrite() > 0 && socket->state() == QAbstractSocket::ConnectedState &&
               !lifetime.hasExpired())
            socket->waitForBytesWritten(kPollMs);
        socket->disconnectFromHost();
        if (socket->state() != QAbstractSocket::UnconnectedState) socket->waitForDisconnected(1000);
    }
}

RefusingLoopbackPort::RefusingLoopbackPort() : fd_(::socket(AF_INET, SOCK_STREAM, 0))
{
    if (fd_ < 0) throw std::runtime_error("socket() failed");
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    if (::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        ::close(fd_);
        throw std::runtime_error("bind() failed");
    }
    port_ = ntohs(address.sin_port);
}

RefusingLoopbackPort::~RefusingLoopbackPort()
{
    ::close(fd_);
}

std::string OkAnswer(const std::string& body)
{
    return "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: " + std::to_string(body.size()) +
           "\r\n\r\n" + body;
}

} // namespace lumira
