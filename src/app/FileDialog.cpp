// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/FileDialog.h"

#include "app/Services.h"
#include "platform/SettingsStore.h"

#include <QDir>
#include <QFileInfo>
#include <utility>

namespace padsmith {

FileDialog::FileDialog(SettingsStore& settings, FileFilter filter, QString title)
    : settings_(settings), filter_(std::move(filter)), title_(std::move(title)) {
    if (filter_.description.isEmpty()) {
        filter_ = {QStringLiteral("All Files (*.*)"), QStringLiteral("*.*")};
    }
}

QString FileDialog::fileTitle() const {
    return QFileInfo(path_).fileName();
}

QString FileDialog::storedFolder() const {
    const QString stored = settings_.readString(filter_.description);
    return stored.isEmpty() ? personalFolder() : stored;
}

bool FileDialog::showOpen(QWidget* owner, const QString& startFolder, const QString& title) {
    return show(false, owner, startFolder, title);
}

bool FileDialog::showSave(QWidget* owner, const QString& startFolder, const QString& title) {
    return show(true, owner, startFolder, title);
}

QStringList FileDialog::showOpenSamples(QWidget* owner, const QString& start,
                                        const SamplePreview& preview) {
    const QStringList chosen = dialogs().openSamples(
        owner, title_, start.isEmpty() ? storedFolder() : start, filter_, preview);
    QStringList files;
    for (const QString& file : chosen) {
        files.append(QDir::toNativeSeparators(file));
    }
    if (!files.isEmpty()) {
        settings_.writeString(filter_.description,
                              QDir::toNativeSeparators(QFileInfo(chosen.first()).absolutePath()));
        path_ = files.first();
    }
    return files;
}

bool FileDialog::show(bool save, QWidget* owner, const QString& startFolder, const QString& title) {
    QString folder = storedFolder();
    QString proposed = path_;
    if (!startFolder.isEmpty()) {
        folder = startFolder;
        proposed.clear();
    }
    const QString caption = title.isEmpty() ? title_ : title;
    const QString chosen = save ? dialogs().saveFile(owner, caption, folder, proposed, filter_)
                                : dialogs().openFile(owner, caption, folder, proposed, filter_);
    if (chosen.isEmpty()) {
        return false;
    }
    // Qt's dialogs answer with "/" everywhere; dropped files and the recent list use the
    // platform's separator, and the same kit must not stand in the list twice.
    path_ = QDir::toNativeSeparators(chosen);
    const QFileInfo info(chosen);
    settings_.writeString(
        filter_.description,
        QDir::toNativeSeparators(info.isDir() ? info.absoluteFilePath() : info.absolutePath()));
    return true;
}

} // namespace padsmith
