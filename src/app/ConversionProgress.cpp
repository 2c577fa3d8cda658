// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ConversionProgress.h"

#include <QCoreApplication>

namespace padsmith {

ConversionProgress::ConversionProgress(QWidget* parent, const QString& verb, bool cancellable)
    : dialog_(verb, cancellable ? QStringLiteral("Cancel") : QString(), 0, 0, parent), verb_(verb) {
    dialog_.setWindowTitle(QCoreApplication::applicationName());
    dialog_.setWindowModality(Qt::WindowModal);
    dialog_.setMinimumDuration(500);
    dialog_.setAutoClose(false);
    dialog_.setAutoReset(false);
    if (!cancellable) {
        dialog_.setCancelButton(nullptr);
    }
}

bool ConversionProgress::step(int done, int total) {
    if (dialog_.maximum() != total) {
        dialog_.setMaximum(total);
    }
    dialog_.setLabelText(QStringLiteral("%1 file %2 of %3...").arg(verb_).arg(done).arg(total));
    dialog_.setValue(done);
    QCoreApplication::processEvents();
    return !dialog_.wasCanceled();
}

} // namespace padsmith
