// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ZoneCommands.h"

#include "app/EditPath.h"
#include "app/FileDialog.h"
#include "app/MainWindow.h"
#include "app/PadPanel.h"
#include "app/Services.h"
#include "app/Text.h"
#include "app/ZoneListPanel.h"
#include "audio/SoundSystem.h"
#include "kit/KitEdit.h"
#include "kit/LayerOrder.h"
#include "kit/PadEdits.h"
#include "kit/SampleFolders.h"
#include "kit/ZoneFiles.h"
#include "ui/CellTableView.h"

#include <QDir>
#include <QItemSelectionModel>
#include <QMenu>
#include <algorithm>
#include <memory>

namespace padsmith {

namespace {

const QString kSampleDialogTitle = QStringLiteral("Select sample ...");
const QString kWaveEditorDialogTitle = QStringLiteral("Select Wave Editor ...");

} // namespace

ZoneCommands::ZoneCommands(MainWindow& window, SettingsStore& settings)
    : QObject(&window), window_(window), settings_(settings) {}

FileFilter ZoneCommands::sampleFilter() {
    return {QStringLiteral("Audio file (*.wav,*.aif)"), QStringLiteral("*.wav;*.aif;*.aiff")};
}

FileFilter ZoneCommands::waveEditorFilter() {
#if defined(Q_OS_WIN)
    return {QStringLiteral("Wave Editor (*.exe)"), QStringLiteral("*.exe")};
#else
    // Any file may be a program here; the system tells at the start whether it is one.
    return {QStringLiteral("Wave Editor (*)"), QStringLiteral("*")};
#endif
}

QString ZoneCommands::programFolder() {
#if defined(Q_OS_WIN)
    const QString programs = qEnvironmentVariable("ProgramFiles");
    return programs.isEmpty() ? QStringLiteral("C:\\Program Files") : programs;
#elif defined(Q_OS_MACOS)
    return QStringLiteral("/Applications");
#else
    return QStringLiteral("/usr/bin");
#endif
}

bool ZoneCommands::handleCommand(CommandId id) {
    switch (id) {
    case CommandId::ImportSamples:
        importSamples();
        return true;
    case CommandId::Copy:
        rememberSelection();
        return true;
    case CommandId::Paste:
        moveRememberedRows(currentRow());
        return true;
    case CommandId::Delete:
        deleteZones();
        return true;
    case CommandId::EditSample:
        editInWaveEditor();
        return true;
    case CommandId::SelectWaveEditor:
        selectWaveEditor();
        return true;
    default:
        return false;
    }
}

void ZoneCommands::kitReplaced() {
    keyRange_.takeFromLastZoneOf(window_.kit());
}

KitLocation ZoneCommands::location() const {
    return {toFsPath(window_.pluginFolder()), window_.shareSamples(), window_.options().codePage()};
}

void ZoneCommands::stopPreview() {
    window_.kitHost().stopPreview();
}

QString ZoneCommands::previewInDialog(const QString& path) {
    // Moving back and forth onto the same file, or opening the dialog on it again, does not
    // play it again.
    if (path == lastPreviewed_) {
        return {};
    }
    lastPreviewed_ = path;
    SoundSystem& player = window_.sound();
    player.previewSample(toStd(path), window_.outputDevice());
    return player.infoText();
}

void ZoneCommands::importSamples() {
    KitDocument& kit = window_.kit();
    const Pad& pad = kit.current();
    const int row = currentRow();
    // The dialog opens on the current zone's sample (the first zone's without a current row).
    QString start;
    if (!pad.empty()) {
        const std::size_t at = row >= 0 && static_cast<std::size_t>(row) < pad.size()
                                   ? static_cast<std::size_t>(row)
                                   : 0;
        const std::string& source = pad.at(at).sourcePath;
        if (source != kUnknownSource) {
            start = fromStd(withoutMissingMark(source));
        }
    }
    FileDialog dialog(settings_, sampleFilter(), kSampleDialogTitle);
    const QStringList chosen = dialog.showOpenSamples(
        &window_, start, [this](const QString& path) { return previewInDialog(path); });
    if (chosen.isEmpty()) {
        return;
    }
    std::vector<std::filesystem::path> files;
    for (const QString& file : chosen) {
        files.push_back(toFsPath(file));
    }
    importFiles(row, files);
}

void ZoneCommands::importFiles(int row, const std::vector<std::filesystem::path>& files,
                               bool layers, const std::string& editName) {
    stopPreview();
    KitDocument& kit = window_.kit();
    KitHost& host = window_.kitHost();
    SampleImport import =
        padsmith::importSamples(kit, kit.currentPad, row, files, keyRange_, location(), host);
    if (layers) {
        import.edit = asLayers(std::move(import.edit), kit.currentPad);
    }
    if (!editName.empty() && !import.edit.changes.empty()) {
        import.edit.name = editName;
    }
    const int firstRow = row >= 0 ? row : static_cast<int>(kit.current().size());
    if (import.edit.empty()) {
        return;
    }
    window_.editPath().apply(std::move(import.edit));
    window_.zonePanel().selectRow(firstRow);
}

void ZoneCommands::renameSample(int row, const QString& name) {
    const std::string text = toStd(name);
    if (const std::string problem = sampleNameProblem(text, location().codePage);
        !problem.empty()) {
        messageBox(MessageButtons::Ok, MessageIcon::Warning, fromStd(problem));
        return;
    }
    KitDocument& kit = window_.kit();
    SampleRename rename = padsmith::renameSample(kit, kit.currentPad, row, text, location());
    if (!rename.error.empty()) {
        messageBox(MessageButtons::Ok, MessageIcon::Warning, fromStd(rename.error));
        return;
    }
    // The copy in the sample folder is renamed at the next save.
    window_.editPath().apply(std::move(rename.edit));
    window_.zonePanel().selectRow(row);
}

void ZoneCommands::rememberSelection() {
    rememberRows(selectedRows());
}

void ZoneCommands::rememberRows(const QList<int>& rows) {
    const KitDocument& kit = window_.kit();
    remembered_ = padsmith::rememberRows(kit, kit.currentPad, {rows.begin(), rows.end()});
}

void ZoneCommands::moveRememberedRows(int target) {
    stopPreview();
    const std::optional<ZoneMove> move =
        padsmith::moveRememberedRows(window_.kit(), remembered_, target);
    remembered_ = {};
    if (!move) {
        return;
    }
    window_.editPath().apply(move->edit);
    selectRows({move->selectedRows.begin(), move->selectedRows.end()});
}

void ZoneCommands::deleteZones() {
    const bool askFromDisk = dialogs().keyboardModifiers().testFlag(Qt::ShiftModifier);
    stopPreview();
    const QList<int> rows = selectedRows();
    if (rows.isEmpty()) {
        return;
    }
    // No still deletes the zones, only the files stay.
    const bool fromDisk =
        askFromDisk && messageBox(MessageButtons::YesNo, MessageIcon::Warning,
                                  QStringLiteral("Delete files from disk?")) == AnswerYes;
    KitDocument& kit = window_.kit();
    ZoneDeletion deletion = padsmith::deleteZones(kit, kit.currentPad, {rows.begin(), rows.end()});
    if (deletion.edit.empty()) {
        return;
    }
    // The copies in the kit's own sample folder go at the next save, and only those the saved
    // kit no longer names: an undone Delete finds them all. The sources go to the trash, and
    // come back with the undo.
    if (!fromDisk) {
        window_.editPath().apply(deletion.edit);
        window_.zonePanel().selectRow(deletion.currentRow);
        return;
    }
    KitHost& host = window_.kitHost();
    // The kit as it is after the deletion decides which files zones still play.
    KitDocument after = kit;
    applyEdit(after, deletion.edit);
    SourceDeletion files = trashSourceFiles(after, deletion.removed, location(), host);
    auto trashed = std::make_shared<std::vector<TrashedFile>>(std::move(files.trashed));
    window_.editPath().apply(deletion.edit,
                             {[trashed, &host] { restoreFromTrash(*trashed, host); },
                              [trashed, &host] { moveToTrashAgain(*trashed, host); }});
    window_.zonePanel().selectRow(deletion.currentRow);
    QStringList notes;
    if (files.kept > 0) {
        notes.append(QStringLiteral("%1 file(s) not deleted from disk: other zones of the kit "
                                    "still play them.")
                         .arg(files.kept));
    }
    if (files.spared > 0) {
        notes.append(QStringLiteral("%1 file(s) not deleted from disk: kits in the plug-in "
                                    "folder play them (this kit as last saved included).")
                         .arg(files.spared));
    }
    if (!notes.isEmpty()) {
        messageBox(MessageButtons::Ok, MessageIcon::Information, notes.join('\n'));
    }
    const auto fileList = [](const std::vector<std::filesystem::path>& paths) {
        QStringList names;
        for (const std::filesystem::path& file : paths) {
            names.append(QDir::toNativeSeparators(fromFsPath(file)));
        }
        return names.join('\n');
    };
    if (!files.noTrash.empty() &&
        messageBox(MessageButtons::YesNo, MessageIcon::Warning,
                   QStringLiteral("These files can't be moved to the trash:\n%1\n\nDelete "
                                  "them for good? This can't be undone.")
                       .arg(fileList(files.noTrash))) == AnswerYes) {
        if (const std::vector<std::filesystem::path> stayed =
                deleteFilesForGood(files.noTrash, host);
            !stayed.empty()) {
            messageBox(MessageButtons::Ok, MessageIcon::Warning,
                       QStringLiteral("These files can't be deleted and are still there:\n%1")
                           .arg(fileList(stayed)));
        }
    }
}

bool ZoneCommands::selectWaveEditor() {
    FileDialog dialog(settings_, waveEditorFilter(), kWaveEditorDialogTitle);
    if (!dialog.showOpen(&window_, programFolder())) {
        return false;
    }
    window_.options().setWaveEditor(dialog.path());
    return true;
}

void ZoneCommands::editInWaveEditor() {
    stopPreview();
    if (window_.waveEditor().isEmpty() && !selectWaveEditor()) {
        return;
    }
    KitDocument& kit = window_.kit();
    QList<int> rows = selectedRows();
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const std::size_t row = static_cast<std::size_t>(rows[i]);
        if (row >= kit.current().size()) {
            continue;
        }
        const SampleZone zone = kit.current().at(row);
        if (runProgram(window_.waveEditor(), fromStd(zone.sourcePath)) != ProgramStart::Started) {
            // The editor is gone or is no program: choose another and start over. Cancelling
            // the choice ends the command.
            if (!selectWaveEditor()) {
                return;
            }
            rows = selectedRows();
            i = -1;
            continue;
        }
        sampleEditedOutside(kit, zone);
        // The copy is replaced at the next save: until then the kit is modified.
        window_.document().updateTitle(kit.modified());
    }
}

// The view's selection. Kept here in one place, so the commands need no more of the list than
// its rows.
QList<int> ZoneCommands::selectedRows() const {
    QList<int> rows;
    if (const QItemSelectionModel* selection = window_.zoneList()->selectionModel()) {
        for (const QModelIndex& index : selection->selectedRows()) {
            rows.append(index.row());
        }
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

int ZoneCommands::currentRow() const {
    return window_.zonePanel().currentRow();
}

void ZoneCommands::selectRows(const QList<int>& rows) {
    window_.zonePanel().selectRows(rows);
}

} // namespace padsmith
