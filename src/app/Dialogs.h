// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "kit/FolderKit.h"
#include "kit/KitHost.h"

#include <QString>
#include <QStringList>
#include <Qt>
#include <functional>

class QUrl;
class QWidget;

namespace padsmith {

enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel };

// The button a message box was closed with. The values are those the kit scripts' original
// platform used, so a plain int carries them too.
enum MessageAnswer : int {
    AnswerNone = 0,
    AnswerOk = 1,
    AnswerCancel = 2,
    AnswerYes = 6,
    AnswerNo = 7
};

// A file type for the file dialogs: the text the user sees and the patterns it stands for.
struct FileFilter {
    QString description; // "Zarvo Script File (*.txt)"; also the settings name of its folder
    QString patterns;    // "*.txt", several separated by ";"
};

// Auditions the file under the cursor of the sample dialog and returns the text for its panel
// ("File Format: ..."); a null text leaves the panel as it is.
using SamplePreview = std::function<QString(const QString& path)>;

// Everything that waits for the user or hands work to the desktop: file dialogs, the folder
// browser, message boxes, the shell's "open" and the keyboard state. The editor uses the Qt
// implementation; tests answer through a fake.
class Dialogs {
public:
    virtual ~Dialogs() = default;

    // Empty text when the user cancels.
    virtual QString openFile(QWidget* owner, const QString& title, const QString& folder,
                             const QString& proposedName, const FileFilter& filter) = 0;
    virtual QString saveFile(QWidget* owner, const QString& title, const QString& folder,
                             const QString& proposedName, const FileFilter& filter) = 0;
    // Several existing files at once; `preview` is called as the cursor moves onto a file.
    // Empty when the user cancels.
    virtual QStringList openSamples(QWidget* owner, const QString& title, const QString& start,
                                    const FileFilter& filter, const SamplePreview& preview) = 0;
    virtual QString browseForFolder(QWidget* owner, const QString& startFolder,
                                    const QString& prompt) = 0;
    // Shows the text, returns the MessageAnswer of the button pressed.
    virtual int message(QWidget* owner, const QString& caption, const QString& text,
                        MessageButtons buttons, MessageIcon icon) = 0;
    // Asks the desktop to show a folder. False when it could not.
    virtual bool openFolder(const QString& folder) = 0;
    // Hands a link (a web page, a mailto: message) to the desktop. False when it could not.
    virtual bool openUrl(const QUrl& url) = 0;
    // The modifier keys held down at this moment.
    virtual Qt::KeyboardModifiers keyboardModifiers() = 0;
    // Shows the pads a folder of samples would make and lets the user change them; true and
    // `plan` as changed when the user confirms.
    virtual bool confirmFolderKit(QWidget* owner, FolderKitPlan& plan,
                                  const QStringList& notPlayable) = 0;
};

// The real dialogs of the desktop.
class QtDialogs : public Dialogs {
public:
    QString openFile(QWidget* owner, const QString& title, const QString& folder,
                     const QString& proposedName, const FileFilter& filter) override;
    QString saveFile(QWidget* owner, const QString& title, const QString& folder,
                     const QString& proposedName, const FileFilter& filter) override;
    QStringList openSamples(QWidget* owner, const QString& title, const QString& start,
                            const FileFilter& filter, const SamplePreview& preview) override;
    QString browseForFolder(QWidget* owner, const QString& startFolder,
                            const QString& prompt) override;
    int message(QWidget* owner, const QString& caption, const QString& text, MessageButtons buttons,
                MessageIcon icon) override;
    bool openFolder(const QString& folder) override;
    bool openUrl(const QUrl& url) override;
    Qt::KeyboardModifiers keyboardModifiers() override;
    bool confirmFolderKit(QWidget* owner, FolderKitPlan& plan,
                          const QStringList& notPlayable) override;
};

// The filter in the form Qt's file dialogs read: "Zarvo Script File (*.txt)".
QString qtFilterText(const FileFilter& filter);

} // namespace padsmith
