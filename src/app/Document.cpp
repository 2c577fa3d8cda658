// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Document.h"

#include "app/ForeignKitCommands.h"
#include "app/Services.h"
#include "app/Text.h"
#include "kit/KitDocument.h"
#include "kit/KitHost.h"
#include "kit/SampleFolders.h"
#include "platform/Files.h"
#include "platform/SettingsStore.h"

#include <QAction>
#include <QFileInfo>
#include <QMenu>
#include <QWidget>

namespace padsmith {

namespace {

// A path as a menu text: "&" would otherwise be taken for an access key.
QString menuText(QString path) {
    return path.replace('&', QStringLiteral("&&"));
}

} // namespace

Document::Document(KitDocument& kit, SettingsStore& settings, DocumentWindow& window)
    : kit_(kit), settings_(settings), window_(window), dialog_(settings, kKitFilter) {}

void Document::initialise(QMenu* fileMenu) {
    fileMenu_ = fileMenu;
    recent_.load(settings_);
    rebuildRecentMenu();
    updateTitle(false);
    name_ = settings_.readString(QStringLiteral("Name"), kUntitled);
}

bool Document::handleCommand(CommandId id) {
    switch (id) {
    case CommandId::New:
        newKit();
        return true;
    case CommandId::Open:
        open();
        return true;
    case CommandId::Save:
        save(false);
        return true;
    case CommandId::SaveAs:
        save(true);
        return true;
    default:
        break;
    }
    if (id >= CommandId::RecentFirst && id <= CommandId::RecentLast) {
        chooseRecent(id - CommandId::RecentFirst);
        return true;
    }
    return false;
}

bool Document::queryClose() {
    if (askSaveChanges() == AnswerCancel) {
        return false;
    }
    recent_.store(settings_);
    settings_.writeString(QStringLiteral("Name"), name_);
    settings_.sync();
    return true;
}

void Document::dropFiles(const QStringList& paths) {
    if (paths.isEmpty()) {
        return;
    }
    if (QWidget* window = window_.documentWidget()) {
        window->raise();
        window->activateWindow();
    }
    // A drop replaces the kit like Open does, so unsaved changes are asked about first.
    if (askSaveChanges() == AnswerCancel) {
        return;
    }
    openKitPath(paths.constFirst());
}

int Document::askSaveChanges() {
    if (!kit_.modified()) {
        return 0;
    }
    const int answer = messageBox(MessageButtons::YesNoCancel, MessageIcon::Warning,
                                  QStringLiteral("Save changes to %1?").arg(name_));
    if (answer == AnswerNone) {
        // The question could not be shown (another message box is open): nobody said the
        // changes may go.
        return AnswerCancel;
    }
    if (answer == AnswerYes && !save(false)) {
        // The changes were not saved (dialog cancelled, or the writer refused): going on
        // would throw them away.
        return AnswerCancel;
    }
    return answer;
}

void Document::updateTitle(bool modified) {
    kit_.setModified(modified);
    QString shown;
    if (currentPath().isEmpty()) {
        name_ = kUntitled;
        shown = kUntitled;
    } else {
        name_ = fromStd(fileNameOf(toStd(currentPath())));
        shown = fromStd(shortenPath(toStd(currentPath())));
    }
    setTitleDetail(window_.documentWidget(), modified ? "* " + shown : shown);
}

void Document::openKitPath(const QString& path) {
    QString candidate = path;
    if (!candidate.isEmpty()) {
        if (candidate.startsWith('"')) {
            candidate.remove(0, 1);
        }
        if (candidate.endsWith('"')) {
            candidate.chop(1);
        }
    } else {
        candidate = recent_.at(0);
        if (candidate.isEmpty() || !QFileInfo::exists(candidate) || name_ == kUntitled) {
            return;
        }
    }
    const QString previousPath = currentPath();
    const bool wasModified = kit_.modified();
    setPath(candidate);
    name_ = QFileInfo(candidate).fileName();
    updateTitle(false);
    if (!readKit(candidate)) {
        keepOpenKit(previousPath, wasModified);
        return;
    }
    // Only a file that could be read joins the list: Revert and the next start-up open it.
    recent_.putFront(candidate);
    rebuildRecentMenu();
}

bool Document::newKit() {
    if (askSaveChanges() == AnswerCancel) {
        return false;
    }
    clearToNewKit();
    return true;
}

void Document::clearToNewKit() {
    window_.kitHost().stopPreview();
    setPath({});
    readInPartPath_.clear();
    window_.collectKitFields(); // the empty kit keeps the copyright as typed
    kit_.newKit();
    window_.kitReplaced();
    updateTitle(false);
    window_.showKit();
}

void Document::adoptPads(const std::array<Pad, kPadCount>& pads) {
    clearToNewKit();
    kit_.pads = pads; // the empty kit's fingerprints stay: every pad counts as changed
    kit_.computeKitSize();
    window_.kitReplaced(); // Kit Health looks at the new pads at once, as after an open
    updateTitle(kit_.updateModified());
    window_.showKit();
}

bool Document::open() {
    if (askSaveChanges() == AnswerCancel) {
        return false;
    }
    const QString previousPath = currentPath();
    const QString previousName = name_;
    if (!dialog_.showOpen(window_.documentWidget())) {
        return false;
    }
    if (!readKit(currentPath())) {
        // The title still names the kit that stayed open; a Save must go there too, not
        // over the file that could not be read.
        setPath(previousPath);
        name_ = previousName;
        return false;
    }
    updateTitle(false);
    recent_.putFront(currentPath());
    rebuildRecentMenu();
    return true;
}

bool Document::save(bool saveAs) {
    const QString previousPath = currentPath();
    const QString previousName = name_;
    if (saveAs || currentPath().isEmpty() || name_ == kUntitled) {
        if (!dialog_.showSave(window_.documentWidget())) {
            return false;
        }
        name_ = dialog_.fileTitle();
    } else if (currentPath() == readInPartPath_ &&
               messageBox(
                   MessageButtons::YesNo, MessageIcon::Warning,
                   QStringLiteral("This kit was read only in part. Overwrite %1?").arg(name_)) !=
                   AnswerYes) {
        // The lines that could not be read would be lost; Save As stays open to the user.
        return false;
    }
    window_.collectKitFields();
    const KitLocation location = window_.kitLocation();
    // SHIFT held (Ctrl+Shift+S) empties the kit's own sample folder first, so that it ends
    // up holding exactly the kit's samples.
    const bool freshSampleFolder =
        !location.shareSamples && dialogs().keyboardModifiers().testFlag(Qt::ShiftModifier);
    keepImportedSources(kit_, location, toFsPath(currentPath()));
    if (!writeKitScript(kit_, toFsPath(currentPath()), location, window_.kitHost(),
                        freshSampleFolder)) {
        setPath(previousPath);
        name_ = previousName;
        window_.showKit();
        return false;
    }
    readInPartPath_.clear();
    window_.kitSaved();
    updateTitle(false);
    recent_.putFront(currentPath());
    rebuildRecentMenu();
    window_.showKit();
    return true;
}

void Document::chooseRecent(int slot) {
    if (slot < 0 || slot >= RecentFileList::kSlots || recent_.at(slot).isEmpty()) {
        return;
    }
    if (!rebuildRecentMenu(slot)) {
        return;
    }
    // Taken now: saving the old kit below puts its own path at the front.
    const QString file = recent_.at(0);
    if (file != currentPath()) {
        if (askSaveChanges() == AnswerCancel) {
            return;
        }
    } else if (kit_.modified() &&
               messageBox(MessageButtons::OkCancel, MessageIcon::Warning,
                          QStringLiteral("Discard changes to %1?").arg(name_)) != AnswerOk) {
        return; // reading the kit again would throw the changes away
    }
    if (recent_.at(0) != file) {
        recent_.putFront(file);
        rebuildRecentMenu();
    }
    const QString previousPath = currentPath();
    const bool wasModified = kit_.modified();
    setPath(file);
    if (readKit(file)) {
        updateTitle(false);
    } else {
        keepOpenKit(previousPath, wasModified);
        // The kit that stayed open is the one Revert and the next start-up must find.
        if (!previousPath.isEmpty()) {
            recent_.putFront(previousPath);
            rebuildRecentMenu();
        }
    }
}

bool Document::canRevert() const {
    const QString last = recent_.at(0);
    return !last.isEmpty() && name_ != kUntitled && QFileInfo::exists(last);
}

bool Document::rebuildRecentMenu(int chosen) {
    bool toOpen = false;
    if (chosen >= 0) {
        const QString path = recent_.at(chosen);
        if (dialogs().keyboardModifiers().testFlag(Qt::ControlModifier)) {
            recent_.remove(chosen);
        } else if (QFileInfo::exists(path)) {
            recent_.putFront(path);
            toOpen = true;
        } else {
            messageOk(QStringLiteral("File %1 not found!").arg(path));
            recent_.remove(chosen);
        }
    } else {
        toOpen = recent_.count() > 0;
    }
    if (fileMenu_ == nullptr) {
        return toOpen;
    }

    QList<QAction*> items = fileMenu_->actions();
    qsizetype position = items.size();
    for (qsizetype i = 0; i < items.size(); ++i) {
        if (commandId(items[i]) == CommandId::RecentFirst) {
            position = i;
            break;
        }
    }
    for (QAction* item : items) {
        const CommandId id = commandId(item);
        if (id >= CommandId::RecentFirst && id <= CommandId::RecentLast) {
            fileMenu_->removeAction(item);
            item->deleteLater();
        }
    }
    items = fileMenu_->actions();
    QAction* before = position < items.size() ? items[position] : nullptr;
    auto insert = [&](const QString& text, CommandId id) {
        auto* item = new QAction(text, fileMenu_);
        item->setData(static_cast<int>(id));
        fileMenu_->insertAction(before, item);
        return item;
    };

    const int filled = recent_.count();
    if (filled == 0) {
        insert(QStringLiteral("Recent"), CommandId::RecentFirst)->setEnabled(false);
        return false;
    }
    for (int k = 0; k < filled; ++k) {
        const QString path = menuText(recent_.at(k));
        insert(k < 9 ? QStringLiteral("&%1 %2").arg(k + 1).arg(path) : path,
               CommandId::RecentFirst + k);
    }
    return toOpen;
}

bool Document::readKit(const QString& path) {
    window_.kitHost().stopPreview();
    window_.collectKitFields(); // kept as typed when the read fails
    ScriptReadReport report;
    const bool ok = readKitScript(kit_, toFsPath(path), window_.kitLocation(), window_.kitHost(),
                                  window_.sampleFinder(), &report);
    if (ok) {
        // Save must not write the kit over that file without asking.
        readInPartPath_ = report.readInPart() ? path : QString();
    }
    window_.kitReplaced();
    window_.showKit();
    return ok;
}

void Document::keepOpenKit(const QString& previousPath, bool wasModified) {
    // The reader leaves the kit as it was, so the kit still belongs to its own file: pointing
    // it at the unreadable one would let the next Save write this kit over that file.
    setPath(previousPath);
    updateTitle(wasModified);
}

void Document::setPath(const QString& path) {
    dialog_.setPath(path);
}

} // namespace padsmith
