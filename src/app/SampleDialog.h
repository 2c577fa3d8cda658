// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/Dialogs.h"

#include <QFileDialog>

class QLabel;

namespace padsmith {

// The file dialog of the sample import: several audio files at once, and below the list a
// panel with the format of the file under the cursor, which is auditioned as the cursor moves.
// Qt's own dialog, as the desktop's cannot carry the panel.
class SampleDialog : public QFileDialog {
    Q_OBJECT
public:
    SampleDialog(QWidget* owner, const QString& title, const QString& start,
                 const FileFilter& filter, SamplePreview preview);

    QLabel* formatPanel() const { return format_; }

    // The filter as this dialog shows it: the description as it stands (which names its
    // patterns for the user), matching the patterns in any letter case.
    static QString filterText(const FileFilter& filter);

private:
    void cursorMoved(const QString& path);

    SamplePreview preview_;
    QLabel* format_ = nullptr;
};

} // namespace padsmith
