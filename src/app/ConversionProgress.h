// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QProgressDialog>
#include <QString>

class QWidget;

namespace padsmith {

// Progress of file work (an import, an export, decoding dropped samples) that takes longer
// than half a second: the file count in a dialog, and the window repainting meanwhile. Cancel,
// where offered, asks the work to stop.
class ConversionProgress {
public:
    ConversionProgress(QWidget* parent, const QString& verb, bool cancellable);

    // Between files: false once the user cancelled.
    bool step(int done, int total);
    bool canceled() const { return dialog_.wasCanceled(); }

private:
    QProgressDialog dialog_;
    QString verb_;
};

} // namespace padsmith
