// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/SingleInstance.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileSystemWatcher>
#include <QLockFile>
#include <QSaveFile>
#include <QStandardPaths>
#include <QUrl>

namespace padsmith {

namespace {

// The requests a later start leaves, one a file: "raise", or "open " and the kit's path
// percent-encoded (a path may hold any character, a line break too).
constexpr char kRaise[] = "raise";
constexpr char kOpen[] = "open ";
const QString kRequestPattern = QStringLiteral("*.request");

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
    lockingSince_ = QDateTime::currentMSecsSinceEpoch();
    // Only this thread touches the lock until claim() has joined it.
    locking_ = std::thread([this] { locked_ = lock_->tryLock(100); });
}

bool SingleInstanceGuard::claim(const QString& kitFile) {
    beginClaim();
    if (locking_.joinable()) {
        locking_.join();
    }
    if (!locked_) {
        if (lock_->error() != QLockFile::LockFailedError) {
            // No lock can be made at all (no writable temporary folder): better an editor
            // without the guard than one that quietly never starts.
            lock_.reset();
            return true;
        }
        sendRequest(kitFile.isEmpty() ? QByteArray(kRaise)
                                      : kOpen + QUrl::toPercentEncoding(kitFile));
        lock_.reset();
        return false;
    }
    watchRequests();
    return true;
}

QString SingleInstanceGuard::requestFolder() const {
    // Private to the user (Qt makes sure of it), so no one else can leave requests there.
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return runtime.isEmpty() ? QString() : QDir(runtime).filePath(name_ + ".requests");
}

void SingleInstanceGuard::watchRequests() {
    const QString folder = requestFolder();
    if (folder.isEmpty() || !QDir().mkpath(folder)) {
        return; // the editor runs; later starts cannot reach it
    }
    // Requests from before this instance took the lock were left for an editor that has
    // ended; those since are for this one (a start while the window was being built).
    QDir requests(folder);
    for (const QString& name : requests.entryList({kRequestPattern}, QDir::Files)) {
        if (name.section(QLatin1Char('-'), 0, 0).toLongLong() < lockingSince_) {
            requests.remove(name);
        }
    }
    watcher_ = new QFileSystemWatcher({folder}, this);
    connect(watcher_, &QFileSystemWatcher::directoryChanged, this,
            &SingleInstanceGuard::readRequests);
    readRequests(); // one left between the clean-up and the watch
}

void SingleInstanceGuard::sendRequest(const QByteArray& request) {
    const QString folder = requestFolder();
    if (folder.isEmpty() || !QDir().mkpath(folder)) {
        return;
    }
    // Named by time and process, so that requests are taken in the order they were left; the
    // file appears whole under its name (written beside it first).
    QSaveFile file(QDir(folder).filePath(
        QStringLiteral("%1-%2.request")
            .arg(QDateTime::currentMSecsSinceEpoch(), 16, 10, QLatin1Char('0'))
            .arg(QCoreApplication::applicationPid())));
    if (file.open(QIODevice::WriteOnly)) {
        file.write(request);
        file.commit();
    }
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

void SingleInstanceGuard::readRequests() {
    QDir requests(requestFolder());
    for (const QString& name : requests.entryList({kRequestPattern}, QDir::Files, QDir::Name)) {
        QFile file(requests.filePath(name));
        if (!file.open(QIODevice::ReadOnly)) {
            continue;
        }
        const QByteArray line = file.readAll().trimmed();
        file.close();
        requests.remove(name);
        // Answered from the event loop: opening a kit runs events, in which more requests may
        // arrive.
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
