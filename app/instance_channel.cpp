#include "app/instance_channel.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>

#include <cerrno>
#include <cstring>
#include <optional>
#include <string_view>
#include <utility>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

namespace lumira {

namespace {

constexpr std::string_view kOpen("lumira-open:");
constexpr std::string_view kTaken("taken\n");
// A request is one line: the marker and a path; nothing longer is read.
constexpr qsizetype kLongestRequest = 64 * 1024;
constexpr int kRequestWaitMs = 2000;
constexpr int kRetryAcceptMs = 200;

// A descriptor closed when it goes out of scope, unless released.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor()
    {
        if (fd_ >= 0) ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int Get() const { return fd_; }
    int Release() { return std::exchange(fd_, -1); }

private:
    int fd_;
};

// Where a name lies: a relative one in the temporary folder.
QString SocketPath(const QString& name)
{
    return QDir::isAbsolutePath(name) ? name : QDir::temp().filePath(name);
}

std::optional<sockaddr_un> AddressOf(const QByteArray& path)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.isEmpty() || static_cast<size_t>(path.size()) >= sizeof address.sun_path) return std::nullopt;
    std::memcpy(address.sun_path, path.constData(), static_cast<size_t>(path.size()));
    return address;
}

const sockaddr* Generic(const sockaddr_un& address)
{
    return reinterpret_cast<const sockaddr*>(&address);
}

// A listening socket at `path` that only this user may connect to, put in place of whatever lies
// there: it is bound in a private folder beside `path`, given the user's access alone and then
// moved, so that no one else can ever reach it. -1 when that cannot be done.
int ListenAt(const QString& path)
{
    const QByteArray target = QFile::encodeName(path);
    QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath()) + "/lm-XXXXXX";
    if (!AddressOf(target) || !::mkdtemp(folder.data())) return -1;
    const QByteArray staged = folder + "/s";
    Descriptor socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    const std::optional<sockaddr_un> address = AddressOf(staged);
    const bool listening = socket.Get() >= 0 && address && ::bind(socket.Get(), Generic(*address), sizeof *address) == 0 &&
                           ::chmod(staged.constData(), S_IRWXU) == 0 && ::listen(socket.Get(), SOMAXCONN) == 0 &&
                           ::rename(staged.constData(), target.constData()) == 0;
    if (!listening) ::unlink(staged.constData());
    ::rmdir(folder.constData());
    return listening ? socket.Release() : -1;
}

void SetTimeout(int fd, int option, int ms)
{
    timeval limit{};
    limit.tv_sec = ms / 1000;
    limit.tv_usec = (ms % 1000) * 1000;
    ::setsockopt(fd, SOL_SOCKET, option, &limit, sizeof limit);
}

bool SendAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t sent = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR) continue;
        if (sent <= 0) return false;
        bytes.remove_prefix(static_cast<size_t>(sent));
    }
    return true;
}

// One second start's connection: its request line is gathered as it arrives, then answered and
// handed on; anything else closes it.
class IncomingRequest : public QObject {
public:
    IncomingRequest(int fd, InstanceChannel::Request deliver, QObject* parent)
        : QObject(parent), socket_(fd), deliver_(std::move(deliver)), ready_(new QSocketNotifier(fd, QSocketNotifier::Read, this))
    {
        connect(ready_, &QSocketNotifier::activated, this, &IncomingRequest::Read);
    }
    // The notifier goes before the descriptor it watches is closed.
    ~IncomingRequest() override { delete ready_; }
    IncomingRequest(const IncomingRequest&) = delete;
    IncomingRequest& operator=(const IncomingRequest&) = delete;

private:
    void Read()
    {
        char chunk[4096];
        for (;;) {
            const ssize_t got = ::recv(socket_.Get(), chunk, sizeof chunk, 0);
            if (got < 0 && errno == EINTR) continue;
            if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return;  // the rest comes later
            if (got <= 0) return Close();  // gone, or failed, before a whole line
            received_.append(chunk, got);
            const qsizetype end = received_.indexOf('\n');
            if (end >= 0) return Answer(received_.left(end));
            if (received_.size() > kLongestRequest) return Close();
        }
    }

    void Answer(const QByteArray& line)
    {
        if (!line.startsWith(QByteArray::fromRawData(kOpen.data(), static_cast<qsizetype>(kOpen.size())))) return Close();
        SendAll(socket_.Get(), kTaken);
        // The request is handed on last: whatever it does, this connection is done with.
        const InstanceChannel::Request deliver = deliver_;
        Close();
        if (deliver) deliver(QString::fromUtf8(line.mid(static_cast<qsizetype>(kOpen.size()))));
    }

    void Close()
    {
        ready_->setEnabled(false);
        ::shutdown(socket_.Get(), SHUT_RDWR);
        deleteLater();
    }

    Descriptor socket_;
    InstanceChannel::Request deliver_;
    QSocketNotifier* ready_;
    QByteArray received_;
};

} // namespace

QString InstanceChannel::ServerName(const QString& lockFolder)
{
    const QByteArray folder = QDir::cleanPath(QDir::fromNativeSeparators(lockFolder)).toUtf8();
    const QString name =
        QStringLiteral("lumira-") + QString::fromLatin1(QCryptographicHash::hash(folder, QCryptographicHash::Sha1).toHex().left(16));
    // The user's own runtime folder where there is one; Qt's temporary folder otherwise.
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return runtime.isEmpty() ? name : QDir(runtime).filePath(name);
}

InstanceChannel::InstanceChannel(const QString& lockFolder, Request onRequest, QObject* parent)
    : QObject(parent), onRequest_(std::move(onRequest))
{
    // The lock is ours, so whatever socket bears the name was left by a copy that has ended.
    const QString path = SocketPath(ServerName(lockFolder));
    listener_ = ListenAt(path);
    if (listener_ < 0) return;
    path_ = path;
    incoming_ = new QSocketNotifier(listener_, QSocketNotifier::Read, this);
    connect(incoming_, &QSocketNotifier::activated, this, &InstanceChannel::Accept);
}

InstanceChannel::~InstanceChannel()
{
    if (listener_ < 0) return;
    delete incoming_;
    ::close(listener_);
    QFile::remove(path_);
}

bool InstanceChannel::Listening() const
{
    return listener_ >= 0;
}

void InstanceChannel::Accept()
{
    for (;;) {
        const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0 && (errno == EINTR || errno == ECONNABORTED)) continue;
        if (fd < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
            // Out of descriptors, say: the waiting start stays queued and is taken a moment later,
            // rather than the notifier firing again at once, round after round.
            incoming_->setEnabled(false);
            QTimer::singleShot(kRetryAcceptMs, incoming_, [notifier = incoming_] { notifier->setEnabled(true); });
        }
        if (fd < 0) return;
        new IncomingRequest(fd, [this](const QString& file) {
            if (onRequest_) onRequest_(file);
        }, this);
    }
}

bool InstanceChannel::HandOver(const QString& lockFolder, const QString& file, int timeoutMs)
{
    if (file.contains(QLatin1Char('\n'))) return false;  // no such request can be made
    const std::optional<sockaddr_un> address = AddressOf(QFile::encodeName(SocketPath(ServerName(lockFolder))));
    const Descriptor socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!address || socket.Get() < 0) return false;
    // Each step waits at most its own time: the connection (which waits while the running copy's
    // queue is full), the request, the answer.
    SetTimeout(socket.Get(), SO_SNDTIMEO, std::min(timeoutMs, kRequestWaitMs));
    while (::connect(socket.Get(), Generic(*address), sizeof *address) != 0)
        if (errno != EINTR) return false;
    SetTimeout(socket.Get(), SO_SNDTIMEO, timeoutMs);
    const QByteArray request = QByteArray(kOpen.data(), static_cast<qsizetype>(kOpen.size())) + file.toUtf8() + '\n';
    if (!SendAll(socket.Get(), std::string_view(request.constData(), static_cast<size_t>(request.size())))) return false;
    // The answer comes once the running copy's event loop has read the request.
    SetTimeout(socket.Get(), SO_RCVTIMEO, timeoutMs);
    std::string answer;
    char c = 0;
    while (answer.size() < kTaken.size() && answer.find('\n') == std::string::npos) {
        const ssize_t got = ::recv(socket.Get(), &c, 1, 0);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        answer.push_back(c);
    }
    return answer == kTaken;
}

std::optional<QString> FileToOpen(const QStringList& arguments, const QString& currentDir)
{
    bool options = true;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (options && a == QLatin1String("--")) {
            options = false;
            continue;
        }
        if (options && a.startsWith(QLatin1Char('-'))) continue;
        if (a.isEmpty()) continue;
        QString path = a;
        if (a.startsWith(QLatin1String("file:"), Qt::CaseInsensitive)) {
            const QUrl url(a);
            if (url.isLocalFile()) path = url.toLocalFile();
        }
        return QDir::toNativeSeparators(QDir::cleanPath(QDir(currentDir).absoluteFilePath(path)));
    }
    return std::nullopt;
}

} // namespace lumira
