// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/Dialogs.h"

#include <QString>
#include <QStringList>

class QWidget;

namespace padsmith {

class SettingsStore;

// The open and save dialogs of one file type. The folder the user chose last is kept in the
// settings under the filter's description and is where the next dialog of that type starts.
class FileDialog {
public:
    FileDialog(SettingsStore& settings, FileFilter filter, QString title = {});

    // The proposed file name for the next dialog, and the chosen path after a confirmed one.
    const QString& path() const { return path_; }
    void setPath(const QString& path) { path_ = path; }
    // The chosen file's name without its folder.
    QString fileTitle() const;

    // True when the user confirmed. A start folder replaces the stored one and drops the
    // proposed name; an empty title keeps the one given at creation.
    bool showOpen(QWidget* owner, const QString& startFolder = {}, const QString& title = {});
    bool showSave(QWidget* owner, const QString& startFolder = {}, const QString& title = {});

    // The sample import's dialog: several files, `preview` called as the cursor moves. The
    // chosen files (with the platform's separators), empty when cancelled. `start` may name a
    // file, which is then selected; empty starts in the stored folder.
    QStringList showOpenSamples(QWidget* owner, const QString& start, const SamplePreview& preview);

    // Where the next dialog starts when the caller names no folder.
    QString storedFolder() const;

private:
    bool show(bool save, QWidget* owner, const QString& startFolder, const QString& title);

    SettingsStore& settings_;
    FileFilter filter_;
    QString title_;
    QString path_;
};

} // namespace padsmith
