// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/KitFileWatch.h"

#include <QFile>
#include <QFileInfo>

namespace padsmith {

namespace {

QByteArray fileBytes(const QString& path, bool* exists = nullptr) {
    QFile file(path);
    const bool opened = file.open(QIODevice::ReadOnly);
    if (exists != nullptr) {
        *exists = opened;
    }
    return opened ? file.readAll() : QByteArray();
}

} // namespace

KitFileWatch::KitFileWatch(std::function<void()> changed) : changed_(std::move(changed)) {
    // A program that saves through a temporary file replaces the file: the watch on the old
    // one ends, so the folder is watched as well and the file watched again.
    const auto check = [this] {
        rewatch();
        if (changedOutside() && changed_) {
            changed_();
        }
    };
    QObject::connect(&watcher_, &QFileSystemWatcher::fileChanged, check);
    QObject::connect(&watcher_, &QFileSystemWatcher::directoryChanged, check);
}

void KitFileWatch::track(const QString& path) {
    if (!watcher_.files().isEmpty()) {
        watcher_.removePaths(watcher_.files());
    }
    if (!watcher_.directories().isEmpty()) {
        watcher_.removePaths(watcher_.directories());
    }
    path_ = path;
    bytes_ = path.isEmpty() ? QByteArray() : fileBytes(path);
    rewatch();
}

bool KitFileWatch::changedOutside() const {
    if (path_.isEmpty()) {
        return false;
    }
    bool exists = false;
    const QByteArray now = fileBytes(path_, &exists);
    return exists && now != bytes_;
}

void KitFileWatch::acceptCurrent() {
    bytes_ = fileBytes(path_);
}

void KitFileWatch::rewatch() {
    if (path_.isEmpty()) {
        return;
    }
    if (QFileInfo::exists(path_) && !watcher_.files().contains(path_)) {
        watcher_.addPath(path_);
    }
    const QString folder = QFileInfo(path_).absolutePath();
    if (!watcher_.directories().contains(folder)) {
        watcher_.addPath(folder);
    }
}

} // namespace padsmith
