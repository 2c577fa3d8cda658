#include "app/SingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>

namespace padsmith {

SingleInstanceGuard::SingleInstanceGuard(const QString& key, QObject* parent) : QObject(parent) {
    const QByteArray hash =
        QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    name_ = QStringLiteral("padsmith-") + QString::fromLatin1(hash);
}

SingleInstanceGuard::~SingleInstanceGuard() = default;

bool SingleInstanceGuard::claim() {
    lock_ = std::make_unique<QLockFile>(QDir(QDir::tempPath()).filePath(name_ + ".lock"));
    lock_->setStaleLockTime(0); // held for the whole run; a dead owner is still detected
    if (!lock_->tryLock(100)) {
        if (lock_->error() != QLockFile::LockFailedError) {
            // No lock can be made at all (no writable temporary folder): better an editor
            // without the guard than one that quietly never starts.
            lock_.reset();
            return true;
        }
        QLocalSocket socket;
        socket.connectToServer(name_);
        if (socket.waitForConnected(1000)) {
            socket.write("raise\n");
            socket.waitForBytesWritten(1000);
            socket.disconnectFromServer();
        }
        lock_.reset();
        return false;
    }
    QLocalServer::removeServer(name_); // a socket file left by a crashed run
    server_ = new QLocalServer(this);
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server_->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            emit raiseRequested();
        }
    });
    server_->listen(name_);
    return true;
}

} // namespace padsmith
