// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QFileSystemWatcher>
#include <QString>
#include <functional>

namespace padsmith {

// Notices when another program changes the file the open kit was read from or saved to. The
// file's bytes are compared, so a save of our own, or a touch that changes nothing, is no
// change.
class KitFileWatch {
public:
    explicit KitFileWatch(std::function<void()> changed);

    // The kit in memory now matches the file at `path` as it is (after a read or a save). An
    // empty path watches nothing.
    void track(const QString& path);
    const QString& path() const { return path_; }
    // The file exists and differs from what the kit was read from or saved as.
    bool changedOutside() const;
    // The user chose to keep the kit as it is: the file as it is now counts as seen.
    void acceptCurrent();

private:
    void rewatch();

    QFileSystemWatcher watcher_;
    std::function<void()> changed_;
    QString path_;
    QByteArray bytes_;
};

} // namespace padsmith
