// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>
#include <memory>
#include <thread>

class QFileSystemWatcher;
class QLockFile;

namespace padsmith {

// One editor per settings store. The first instance holds a lock file and watches a folder of
// requests in the user's private runtime folder; a later one finds the lock taken, leaves a
// request there for the first to come to the front (and to open the kit it was started with)
// and ends. Qt Core alone: the program starts without a network library.
class SingleInstanceGuard : public QObject {
    Q_OBJECT
public:
    // `key` names the settings store (its file); instances with other stores do not collide.
    explicit SingleInstanceGuard(const QString& key, QObject* parent = nullptr);
    ~SingleInstanceGuard() override;

    // Starts taking the lock on a second thread, so that the window can be built meanwhile
    // (the lock file is written through to the disk, which takes milliseconds, and more after a
    // crash left one behind). claim() then waits for it.
    void beginClaim();
    // True when this is the first instance. Otherwise the running one has been asked to
    // show its window and to open `kitFile` (an absolute path) when one is given, and the
    // caller should end.
    bool claim(const QString& kitFile = {});

    // Whether an editor with this store is running now, without disturbing it.
    bool otherInstanceRunning();

signals:
    // Another start asked the running instance to show itself.
    void raiseRequested();
    // Another start was given this kit to open; raiseRequested comes with it.
    void openRequested(const QString& kitFile);

private:
    // The folder of requests (empty where the user has no private runtime folder).
    QString requestFolder() const;
    void watchRequests();
    void sendRequest(const QByteArray& request);
    void readRequests();

    QString name_;
    std::unique_ptr<QLockFile> lock_;
    std::thread locking_;
    bool locked_ = false;
    qint64 lockingSince_ = 0; // when this instance began to take the lock (ms since the epoch)
    QFileSystemWatcher* watcher_ = nullptr;
};

} // namespace padsmith
