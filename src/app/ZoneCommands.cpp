// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ZoneCommands.h"

#include "app/Audition.h"
#include "app/Document.h"
#include "app/EditPath.h"
#include "app/EditorOptions.h"
#include "app/FileDialog.h"
#include "app/Services.h"
#include "app/Text.h"
#include "app/ZoneListPanel.h"
#include "audio/SoundSystem.h"
#include "kit/KitEdit.h"
#include "kit/LayerOrder.h"
#include "kit/PadEdits.h"
#include "kit/SampleFolders.h"
#include "kit/ZoneFiles.h"

#include <QDir>
#include <QWidget>
#include <algorithm>
#include <memory>

namespace padsmith {

namespace {

const QString kSampleDialogTitle = QStringLiteral("Select sample ...");
const QString kWaveEditorDialogTitle = QStringLiteral("Select Wave Editor ...");

} // namespace

ZoneCommands::ZoneCommands(Services services) : QObject(&services.owner), s_(std::move(services)) {}

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

void ZoneCommands::run(CommandId id, int /*index*/) {
    switch (id) {
    case CommandId::ImportSamples:
        importSamples();
        return;
    case CommandId::Copy:
        rememberSelection();
        return;
    case CommandId::Paste:
        moveRememberedRows(s_.zones.currentRow());
        return;
    case CommandId::Delete:
        deleteZones();
        return;
    case CommandId::EditSample:
        editInWaveEditor();
        return;
    case CommandId::SelectWaveEditor:
        selectWaveEditor();
        return;
    default:
        return;
    }
}

void ZoneCommands::kitReplaced() {
    keyRange_.takeFromLastZoneOf(s_.kit);
}

QString ZoneCommands::previewInDialog(const QString& path) {
    // Moving back and forth onto the same file, or opening the dialog on it again, does not
    // play it again.
    if (path == lastPreviewed_) {
        return {};
    }
    lastPreviewed_ = path;
    s_.audition.preview(toStd(path));
    return s_.audition.sound().infoText();
}

void ZoneCommands::importSamples() {
    const Pad& pad = s_.kit.current();
    const int row = s_.zones.currentRow();
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
    FileDialog dialog(s_.settings, sampleFilter(), kSampleDialogTitle);
    const QStringList chosen = dialog.showOpenSamples(
        &s_.owner, start, [this](const QString& path) { return previewInDialog(path); });
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
                               bool layers, const std::string& editName,
                               const DecodedFrom& decodedFrom) {
    s_.host.stopPreview();
    KitDocument& kit = s_.kit;
    SampleImport import = padsmith::importSamples(kit, kit.currentPad, row, files, keyRange_,
                                                  s_.location(), s_.host, decodedFrom);
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
    s_.edits.apply(std::move(import.edit));
    s_.zones.selectRow(firstRow);
    if (!import.keyNote.empty() && s_.status) {
        s_.status(fromStd(import.keyNote));
    }
}

void ZoneCommands::renameSample(int row, const QString& name) {
    const std::string text = toStd(name);
    if (const std::string problem = sampleNameProblem(text, s_.location().codePage);
        !problem.empty()) {
        messageBox(MessageButtons::Ok, MessageIcon::Warning, fromStd(problem));
        return;
    }
    SampleRename rename =
        padsmith::renameSample(s_.kit, s_.kit.currentPad, row, text, s_.location());
    if (!rename.error.empty()) {
        messageBox(MessageButtons::Ok, MessageIcon::Warning, fromStd(rename.error));
        return;
    }
    // The copy in the sample folder is renamed at the next save.
    s_.edits.apply(std::move(rename.edit));
    s_.zones.selectRow(row);
}

void ZoneCommands::rememberSelection() {
    rememberRows(s_.zones.selectedRows());
}

void ZoneCommands::rememberRows(const QList<int>& rows) {
    remembered_ = padsmith::rememberRows(s_.kit, s_.kit.currentPad, {rows.begin(), rows.end()});
}

void ZoneCommands::moveRememberedRows(int target) {
    s_.host.stopPreview();
    const std::optional<ZoneMove> move = padsmith::moveRememberedRows(s_.kit, remembered_, target);
    remembered_ = {};
    if (!move) {
        return;
    }
    s_.edits.apply(move->edit);
    s_.zones.selectRows({move->selectedRows.begin(), move->selectedRows.end()});
}

void ZoneCommands::deleteZones() {
    const bool askFromDisk = dialogs().keyboardModifiers().testFlag(Qt::ShiftModifier);
    s_.host.stopPreview();
    const QList<int> rows = s_.zones.selectedRows();
    if (rows.isEmpty()) {
        return;
    }
    // No still deletes the zones, only the files stay.
    const bool fromDisk =
        askFromDisk && messageBox(MessageButtons::YesNo, MessageIcon::Warning,
                                  QStringLiteral("Delete files from disk?")) == AnswerYes;
    KitDocument& kit = s_.kit;
    ZoneDeletion deletion = padsmith::deleteZones(kit, kit.currentPad, {rows.begin(), rows.end()});
    if (deletion.edit.empty()) {
        return;
    }
    // The copies in the kit's own sample folder go at the next save, and only those the saved
    // kit no longer names: an undone Delete finds them all. The sources go to the trash, and
    // come back with the undo.
    if (!fromDisk) {
        s_.edits.apply(deletion.edit);
        s_.zones.selectRow(deletion.currentRow);
        return;
    }
    KitHost& host = s_.host;
    // The kit as it is after the deletion decides which files zones still play.
    KitDocument after = kit;
    applyEdit(after, deletion.edit);
    SourceDeletion files = trashSourceFiles(after, deletion.removed, s_.location(), host);
    auto trashed = std::make_shared<std::vector<TrashedFile>>(std::move(files.trashed));
    s_.edits.apply(deletion.edit, {[trashed, &host] { restoreFromTrash(*trashed, host); },
                                   [trashed, &host] { moveToTrashAgain(*trashed, host); }});
    s_.zones.selectRow(deletion.currentRow);
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
    FileDialog dialog(s_.settings, waveEditorFilter(), kWaveEditorDialogTitle);
    if (!dialog.showOpen(&s_.owner, programFolder())) {
        return false;
    }
    s_.options.setWaveEditor(dialog.path());
    return true;
}

void ZoneCommands::editInWaveEditor() {
    s_.host.stopPreview();
    if (s_.options.waveEditor().isEmpty() && !selectWaveEditor()) {
        return;
    }
    KitDocument& kit = s_.kit;
    QList<int> rows = s_.zones.selectedRows();
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const std::size_t row = static_cast<std::size_t>(rows[i]);
        if (row >= kit.current().size()) {
            continue;
        }
        const SampleZone zone = kit.current().at(row);
        if (runProgram(s_.options.waveEditor(), fromStd(zone.sourcePath)) !=
            ProgramStart::Started) {
            // The editor is gone or is no program: choose another and start over. Cancelling
            // the choice ends the command.
            if (!selectWaveEditor()) {
                return;
            }
            rows = s_.zones.selectedRows();
            i = -1;
            continue;
        }
        sampleEditedOutside(kit, zone);
        // The copy is replaced at the next save: until then the kit is modified.
        s_.document.updateTitle(kit.modified());
    }
}

} // namespace padsmith
