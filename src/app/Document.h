// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/Commands.h"
#include "app/FileDialog.h"
#include "app/KitFileWatch.h"
#include "app/RecentFileList.h"
#include "kit/KitScript.h"

#include <QPointer>
#include <QString>
#include <QStringList>
#include <map>
#include <memory>
#include <string>

class QMenu;
class QWidget;

namespace padsmith {

class KitDocument;
class KitHost;
class SampleFinder;
class SettingsStore;

// What the document part needs from the window that holds it.
class DocumentWindow {
public:
    virtual ~DocumentWindow() = default;
    // The window: owner of the dialogs and bearer of the title.
    virtual QWidget* documentWidget() = 0;
    virtual KitLocation kitLocation() = 0;
    virtual KitHost& kitHost() = 0;
    virtual SampleFinder& sampleFinder() = 0;
    // Copies what the window edits directly (the copyright) into the kit before a save.
    virtual void collectKitFields() = 0;
    // The kit was replaced, emptied or saved: show it again.
    virtual void showKit() = 0;
    // The kit in memory was replaced by another (New, a read): what was kept about the old
    // one (undo steps, the pad clipboard) no longer applies.
    virtual void kitReplaced() {}
    // The kit was written to its file. `movedSources`: sources whose content the save moved
    // (the kit's own copies), old path to new, for whatever still names the old path.
    virtual void kitSaved(const std::map<std::string, std::string>& movedSources) {
        (void)movedSources;
    }
};

// The kit as a document: its path and name, the modified mark in the title, New, Open, Save,
// Save As, Revert, dropped files, the save question, and the recent files of the File menu.
class Document {
public:
    static inline const QString kUntitled = QStringLiteral("Untitled");
    static inline const FileFilter kKitFilter{QStringLiteral("Zarvo Script File (*.txt)"),
                                              QStringLiteral("*.txt")};

    Document(KitDocument& kit, SettingsStore& settings, DocumentWindow& window);

    // Once at start-up: takes the File menu, loads the recent list, shows "Untitled" and
    // reads the name of the kit open at the last close.
    void initialise(QMenu* fileMenu);

    // New, Open, Save, Save As and the recent entries. False for any other command.
    bool handleCommand(CommandId id);
    // Asks to save a modified kit and stores the recent list and "Name". False refuses.
    bool queryClose();
    // Opens the first of the dropped files.
    void dropFiles(const QStringList& paths);

    // 0 for an unmodified kit; otherwise the answer to "Save changes to %s?", where Yes
    // counts only when the save went through (else it is Cancel), and a question that could
    // not be shown counts as Cancel.
    int askSaveChanges();
    void updateTitle(bool modified);
    // Opens `path`, or with an empty path the most recent kit when one was open at the last
    // close. Never asks to save.
    void openKitPath(const QString& path);
    bool newKit();
    // Replaces the kit by `pads` made elsewhere (an imported kit): a new kit without a file,
    // modified until it is saved. The caller has asked to save the kit it replaces.
    void adoptPads(const std::array<Pad, kPadCount>& pads);
    bool open();
    bool save(bool saveAs);
    void chooseRecent(int slot);
    // Whether Revert to Saved would reopen a kit.
    bool canRevert() const;
    // Whether the open kit came from a file that could be read only in part.
    bool readInPart() const { return !readInPartPath_.isEmpty(); }

    const QString& currentPath() const { return dialog_.path(); }
    const QString& documentName() const { return name_; }
    const RecentFileList& recentFiles() const { return recent_; }
    FileDialog& kitDialog() { return dialog_; }

private:
    // Applies a chosen recent entry (or none, slot -1) to the list and lays the list out in
    // the File menu again. True when slot 0 is to be opened.
    bool rebuildRecentMenu(int chosen = -1);
    bool readKit(const QString& path);
    // Empties the kit as New does, without the save question.
    void clearToNewKit();
    // After a failed read: the title and path go back to the kit that stayed open.
    void keepOpenKit(const QString& previousPath, bool wasModified);
    void setPath(const QString& path);
    // Another program changed the open kit's file: reload it, or keep the kit as it is here.
    void fileChangedOutside();
    // Before a save over the kit's own file: true when it may be written (unchanged on disk,
    // or the user agreed to replace the other program's changes).
    bool mayReplaceChangedFile();

    KitDocument& kit_;
    SettingsStore& settings_;
    DocumentWindow& window_;
    FileDialog dialog_;
    QString name_ = kUntitled;
    // The file the open kit was read from only in part; empty when it was read whole.
    QString readInPartPath_;
    RecentFileList recent_;
    QPointer<QMenu> fileMenu_;
    KitFileWatch watch_;
    bool busyWithFile_ = false; // reading, saving or asking about the file
};

} // namespace padsmith
