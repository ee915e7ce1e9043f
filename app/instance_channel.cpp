#include "app/instance_channel.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QUrl>

namespace lumira {

namespace {

constexpr QLatin1StringView kOpen("lumira-open:");
constexpr QLatin1StringView kTaken("taken\n");
// A request is one line: the marker and a path; nothing longer is read.
constexpr qint64 kLongestRequest = 64 * 1024;
constexpr int kRequestWaitMs = 2000;

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
    : QObject(parent), server_(new QLocalServer(this)), onRequest_(std::move(onRequest))
{
    const QString name = ServerName(lockFolder);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(name) && server_->serverError() == QAbstractSocket::AddressInUseError) {
        // The lock is ours, so whatever socket bears the name was left by a copy that has ended.
        QLocalServer::removeServer(name);
        server_->listen(name);
    }
    connect(server_, &QLocalServer::newConnection, this, &InstanceChannel::Accept);
}

InstanceChannel::~InstanceChannel() = default;

bool InstanceChannel::Listening() const
{
    return server_->isListening();
}

void InstanceChannel::Accept()
{
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (!socket->canReadLine()) {
                if (socket->bytesAvailable() > kLongestRequest) socket->abort();
                return;
            }
            const QString line = QString::fromUtf8(socket->readLine(kLongestRequest)).chopped(1);
            if (!line.startsWith(kOpen)) {
                socket->abort();
                return;
            }
            socket->write(kTaken.data(), kTaken.size());
            socket->flush();
            socket->disconnectFromServer();
            if (onRequest_) onRequest_(line.mid(kOpen.size()));
        });
    }
}

bool InstanceChannel::HandOver(const QString& lockFolder, const QString& file, int timeoutMs)
{
    if (file.contains(QLatin1Char('\n'))) return false;  // no such request can be made
    QLocalSocket socket;
    socket.connectToServer(ServerName(lockFolder));
    if (!socket.waitForConnected(std::min(timeoutMs, kRequestWaitMs))) return false;
    socket.write((kOpen + file + QLatin1Char('\n')).toUtf8());
    if (!socket.waitForBytesWritten(timeoutMs)) return false;
    // The answer comes once the running copy's event loop has read the request.
    while (!socket.canReadLine())
        if (!socket.waitForReadyRead(timeoutMs)) return false;
    return socket.readLine(kTaken.size() + 1) == QByteArray(kTaken.data(), kTaken.size());
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
