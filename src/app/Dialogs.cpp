// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Dialogs.h"

#include "app/FolderKitDialog.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QUrl>

namespace padsmith {

QString qtFilterText(const FileFilter& filter) {
    QString patterns = filter.patterns;
    patterns.replace(';', ' ');
    // A description that already names its patterns in parentheses is shown as it stands,
    // with Qt reading the patterns from our own parenthesis instead.
    QString description = filter.description;
    const qsizetype paren = description.indexOf('(');
    if (paren > 0) {
        description = description.left(paren).trimmed();
    }
    return description + " (" + patterns + ")";
}

namespace {

QString startPath(const QString& folder, const QString& proposedName) {
    if (proposedName.isEmpty()) {
        return folder;
    }
    const QFileInfo proposed(proposedName);
    if (proposed.isAbsolute()) {
        return proposedName;
    }
    return folder.isEmpty() ? proposedName : folder + "/" + proposedName;
}

QString defaultSuffix(const FileFilter& filter) {
    QString first = filter.patterns.section(';', 0, 0).trimmed();
    if (first.startsWith("*.")) {
        first = first.mid(2);
    }
    return first.contains('*') ? QString() : first;
}

} // namespace

QString QtDialogs::openFile(QWidget* owner, const QString& title, const QString& folder,
                            const QString& proposedName, const FileFilter& filter) {
    return QFileDialog::getOpenFileName(owner, title, startPath(folder, proposedName),
                                        qtFilterText(filter));
}

QString QtDialogs::saveFile(QWidget* owner, const QString& title, const QString& folder,
                            const QString& proposedName, const FileFilter& filter) {
    QFileDialog dialog(owner, title, startPath(folder, proposedName), qtFilterText(filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(defaultSuffix(filter));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return dialog.selectedFiles().constFirst();
}

QString QtDialogs::browseForFolder(QWidget* owner, const QString& startFolder,
                                   const QString& prompt) {
    // A caption holds one short line: the prompt's last line (what to pick) goes there, and the
    // whole prompt above the buttons, where a long text wraps instead of being cut off.
    const QStringList lines = prompt.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QFileDialog dialog(owner, lines.isEmpty() ? QString() : lines.last().trimmed(), startFolder);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout()); grid && lines.size() > 1) {
        auto* text = new QLabel(prompt, &dialog);
        text->setWordWrap(true);
        grid->addWidget(text, grid->rowCount(), 0, 1, grid->columnCount());
    }
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
}

int QtDialogs::message(QWidget* owner, const QString& caption, const QString& text,
                       MessageButtons buttons, MessageIcon icon) {
    QMessageBox box(owner);
    box.setWindowTitle(caption);
    box.setText(text);
    box.setTextFormat(Qt::PlainText);
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    switch (icon) {
    case MessageIcon::None:
        box.setIcon(QMessageBox::NoIcon);
        break;
    case MessageIcon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case MessageIcon::Warning:
        box.setIcon(QMessageBox::Warning);
        break;
    case MessageIcon::Error:
        box.setIcon(QMessageBox::Critical);
        break;
    }
    switch (buttons) {
    case MessageButtons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case MessageButtons::OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        break;
    case MessageButtons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    case MessageButtons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    }
    box.exec();
    switch (box.standardButton(box.clickedButton())) {
    case QMessageBox::Ok:
        return AnswerOk;
    case QMessageBox::Yes:
        return AnswerYes;
    case QMessageBox::No:
        return AnswerNo;
    default:
        return AnswerCancel;
    }
}

bool QtDialogs::openFolder(const QString& folder) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
}

bool QtDialogs::openUrl(const QUrl& url) {
    return QDesktopServices::openUrl(url);
}

Qt::KeyboardModifiers QtDialogs::keyboardModifiers() {
    return QGuiApplication::queryKeyboardModifiers();
}

bool QtDialogs::confirmFolderKit(QWidget* owner, FolderKitPlan& plan,
                                 const QStringList& notPlayable) {
    FolderKitDialog dialog(plan, notPlayable, owner);
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    plan = dialog.plan();
    return true;
}

} // namespace padsmith
