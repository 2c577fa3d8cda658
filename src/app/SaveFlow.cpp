// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/SaveFlow.h"

#include "app/Operation.h"
#include "app/Text.h"
#include "kit/KitChecks.h"
#include "kit/KitHost.h"

#include <QProgressDialog>

namespace padsmith {

SaveReport saveWithProgress(KitDocument& kit, const std::filesystem::path& path,
                            const KitLocation& location, bool freshSampleFolder, KitHost& host,
                            QWidget* owner) {
    host.stopPreview(); // a previewed sample may hold its file open
    const BusyScope busy(host);
    // Made before the first file: it shows itself once the save has taken half a second.
    QProgressDialog progress(owner);
    progress.setWindowTitle(QStringLiteral("Padsmith"));
    progress.setLabelText(QStringLiteral("Saving %1 ...").arg(fromStd(path.filename().string())));
    progress.setCancelButton(nullptr);
    progress.setWindowModality(Qt::WindowModal);
    progress.setAutoClose(false);
    progress.setAutoReset(false);
    progress.setMinimumDuration(500);
    progress.setValue(0);
    SaveOptions options;
    options.freshSampleFolder = freshSampleFolder;
    options.progress = [&](std::size_t done, std::size_t total) {
        progress.setMaximum(static_cast<int>(total));
        progress.setLabelText(QStringLiteral("Saving %1: file %2 of %3")
                                  .arg(fromStd(path.filename().string()))
                                  .arg(done)
                                  .arg(total));
        progress.setValue(static_cast<int>(done));
        repaintDuringOperation();
    };
    return saveKit(kit, path, location, options);
}

void showSaveReport(const SaveReport& report, const KitDocument& kit, KitHost& host) {
    if (report.doubleNote) {
        checkKitNotes(kit, &host); // shows both zones and the message
        return;
    }
    const std::string text = saveReportMessage(report);
    if (text.empty()) {
        return;
    }
    host.showMessage(report.saved() ? MessageIcon::Warning : MessageIcon::Error, text);
}

} // namespace padsmith
