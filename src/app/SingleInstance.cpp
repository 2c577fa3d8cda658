// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/SingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QUrl>

namespace padsmith {

namespace {

// The requests a later start sends, one a line: "raise", or "open " and the kit's path
// percent-encoded (a path may hold any character, a line break too).
constexpr char kRaise[] = "raise";
constexpr char kOpen[] = "open ";

} // namespace

SingleInstanceGuard::SingleInstanceGuard(const QString& key, QObject* parent) : QObject(parent) {
    const QByteArray hash =
        QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    name_ = QStringLiteral("padsmith-") + QString::fromLatin1(hash);
}

SingleInstanceGuard::~SingleInstanceGuard() {
    if (locking_.joinable()) {
        locking_.join();
    }
}

void SingleInstanceGuard::beginClaim() {
    if (lock_ != nullptr) {
        return;
    }
    lock_ = std::make_unique<QLockFile>(QDir(QDir::tempPath()).filePath(name_ + ".lock"));
    lock_->setStaleLockTime(0); // held for the whole run; a dead owner is still detected
    // Only this thread touches the lock until claim() has joined it.
    locking_ = std::thread([this] { locked_ = lock_->tryLock(100); });
}

bool SingleInstanceGuard::claim(const QString& kitFile) {
    beginClaim();
    locking_.join();
    if (!locked_) {
        if (lock_->error() != QLockFile::LockFailedError) {
            // No lock can be made at all (no writable temporary folder): better an editor
            // without the guard than one that quietly never starts.
            lock_.reset();
            return true;
        }
        QLocalSocket socket;
        socket.connectToServer(name_);
        if (socket.waitForConnected(1000)) {
            const QByteArray request =
                kitFile.isEmpty() ? QByteArray(kRaise) : kOpen + QUrl::toPercentEncoding(kitFile);
            socket.write(request + '\n');
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
            connect(socket, &QLocalSocket::readyRead, this,
                    [this, socket] { readRequests(socket); });
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            readRequests(socket);
        }
    });
    server_->listen(name_);
    return true;
}

bool SingleInstanceGuard::otherInstanceRunning() {
    if (lock_ != nullptr && lock_->isLocked()) {
        return false; // this one is the editor
    }
    QLockFile probe(QDir(QDir::tempPath()).filePath(name_ + ".lock"));
    probe.setStaleLockTime(0);
    if (probe.tryLock(0)) {
        probe.unlock();
        return false;
    }
    return probe.error() == QLockFile::LockFailedError;
}

void SingleInstanceGuard::readRequests(QLocalSocket* socket) {
    while (socket->canReadLine()) {
        const QByteArray line = socket->readLine().trimmed();
        // Answered from the event loop, not inside the socket's signal: opening a kit runs
        // events, in which the connection may close and its socket be deleted.
        if (line.startsWith(kOpen)) {
            const QString kitFile =
                QUrl::fromPercentEncoding(line.mid(qsizetype(sizeof kOpen) - 1));
            QMetaObject::invokeMethod(
                this,
                [this, kitFile] {
                    emit raiseRequested();
                    emit openRequested(kitFile);
                },
                Qt::QueuedConnection);
        } else if (line == kRaise) {
            QMetaObject::invokeMethod(
                this, [this] { emit raiseRequested(); }, Qt::QueuedConnection);
        }
    }
}

} // namespace padsmith
