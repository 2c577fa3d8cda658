// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/SampleDialog.h"

#include "app/Services.h"

#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>
#include <utility>

namespace padsmith {

SampleDialog::SampleDialog(QWidget* owner, const QString& title, const QString& start,
                           const FileFilter& filter, SamplePreview preview)
    : QFileDialog(owner, title, start), preview_(std::move(preview)) {
    setOption(QFileDialog::DontUseNativeDialog);
    setOption(QFileDialog::HideNameFilterDetails);
    setFileMode(QFileDialog::ExistingFiles);
    setNameFilter(filterText(filter));
    // A start naming a file selects it; one naming a file that is gone opens its folder.
    if (const QFileInfo info(start); info.isFile()) {
        selectFile(info.absoluteFilePath());
    } else if (!info.isDir() && info.absoluteDir().exists()) {
        setDirectory(info.absoluteDir());
    }

    auto* frame = new QGroupBox(this);
    auto* frameLayout = new QVBoxLayout(frame);
    format_ = new QLabel(QStringLiteral("File Format:"), frame);
    format_->setObjectName(QStringLiteral("formatPanel"));
    format_->setWordWrap(true);
    format_->setMinimumHeight(format_->fontMetrics().lineSpacing() * 2);
    frameLayout->addWidget(format_);
    if (auto* grid = qobject_cast<QGridLayout*>(layout())) {
        grid->addWidget(frame, grid->rowCount(), 0, 1, grid->columnCount());
    }
    connect(this, &QFileDialog::currentChanged, this, &SampleDialog::cursorMoved);
}

QString SampleDialog::filterText(const FileFilter& filter) {
    QStringList patterns;
    for (const QString& pattern : filter.patterns.split(';', Qt::SkipEmptyParts)) {
        // "*.wav" as "*.[wW][aA][vV]": file names on this disk may come in any letter case.
        QString anyCase;
        for (const QChar c : pattern.trimmed()) {
            anyCase +=
                c.isLetter() ? QStringLiteral("[%1%2]").arg(c.toLower(), c.toUpper()) : QString(c);
        }
        patterns.append(anyCase);
    }
    return filter.description + QStringLiteral(" (") + patterns.join(' ') + ')';
}

void SampleDialog::cursorMoved(const QString& path) {
    if (!preview_ || !QFileInfo(path).isFile()) {
        return;
    }
    setBusyCursor(true);
    const QString text = preview_(path);
    setBusyCursor(false);
    if (!text.isNull()) {
        format_->setText(text);
    }
}

QStringList QtDialogs::openSamples(QWidget* owner, const QString& title, const QString& start,
                                   const FileFilter& filter, const SamplePreview& preview) {
    SampleDialog dialog(owner, title, start, filter, preview);
    if (dialog.exec() != QDialog::Accepted) {
        return {};
    }
    return dialog.selectedFiles();
}

} // namespace padsmith
