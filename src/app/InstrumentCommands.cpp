// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/InstrumentCommands.h"

#include "app/Document.h"
#include "app/EditPath.h"
#include "app/FileDialog.h"
#include "app/Services.h"
#include "app/Text.h"
#include "app/ZoneListPanel.h"
#include "kit/InstrumentFile.h"
#include "kit/KitEdit.h"
#include "kit/KitHost.h"
#include "kit/KitScript.h"
#include "kit/KitText.h"
#include "kit/SampleFolders.h"
#include "platform/Files.h"

#include <QDir>
#include <QFileInfo>
#include <QWidget>

namespace padsmith {

namespace {

const QString kExportTitle = QStringLiteral("Save instrument ...");
const QString kImportTitle = QStringLiteral("Select instrument ...");

QString nativePath(const std::filesystem::path& path) {
    return QDir::toNativeSeparators(fromFsPath(path));
}

} // namespace

InstrumentCommands::InstrumentCommands(Services services)
    : QObject(&services.owner), s_(std::move(services)) {}

void InstrumentCommands::run(CommandId id, int /*index*/) {
    switch (id) {
    case CommandId::ExportInstrument:
        exportInstrument();
        return;
    case CommandId::ImportInstrument:
        importInstrument();
        return;
    case CommandId::SaveInstrumentAsKit:
        saveInstrumentAsKit();
        return;
    default:
        return;
    }
}

FileFilter InstrumentCommands::instrumentFilter() {
    return {QStringLiteral("Zarvo Instrument (*.zvi)"), QStringLiteral("*.zvi")};
}

QString InstrumentCommands::startFolder() const {
    const Pad& pad = s_.kit.current();
    const int row = s_.zones.currentRow();
    if (row < 0 || static_cast<std::size_t>(row) >= pad.size()) {
        return {};
    }
    const std::string& source = pad.at(static_cast<std::size_t>(row)).sourcePath;
    if (source == kUnknownSource) {
        return {};
    }
    // The sample's folder, not the sample itself: a dialog opened on "snare.wav" would offer
    // that name, and the instrument would be written over the sample.
    const QFileInfo sample(fromStd(withoutMissingMark(source)));
    return sample.absoluteDir().exists() ? QDir::toNativeSeparators(sample.absolutePath())
                                         : QString();
}

void InstrumentCommands::showModified() {
    s_.document.updateTitle(s_.kit.updateModified());
}

void InstrumentCommands::exportInstrument() {
    FileDialog dialog(s_.settings, instrumentFilter(), kExportTitle);
    if (!dialog.showSave(&s_.owner, startFolder())) {
        return;
    }
    KitDocument& kit = s_.kit;
    const CodePage page = s_.location().codePage;
    // A text the plug-in's code page cannot hold is named rather than written as another.
    if (const auto unheld = findUnheldTexts(kit.current(), kit.currentPad, page); !unheld.empty()) {
        messageBox(MessageButtons::Ok, MessageIcon::Warning,
                   QStringLiteral("Can't write %1\n").arg(dialog.path()) +
                       fromStd(unheldTextMessage(unheld.front(), page)));
        return;
    }
    const bool written =
        padsmith::exportInstrument(kit, kit.currentPad, toFsPath(dialog.path()), page);
    showModified();
    if (!written) {
        messageBox(MessageButtons::Ok, MessageIcon::Warning,
                   QStringLiteral("Can't write %1").arg(dialog.path()));
    }
}

void InstrumentCommands::importInstrument() {
    FileDialog dialog(s_.settings, instrumentFilter(), kImportTitle);
    if (!dialog.showOpen(&s_.owner, startFolder())) {
        return;
    }
    KitDocument& kit = s_.kit;
    const int padIndex = kit.currentPad;
    // The zones are gathered on a copy of the pad and reach the kit as one edit.
    Pad pad = kit.current();
    InstrumentImport result;
    {
        const BusyScope busy(s_.host);
        const KitLocation location = s_.location();
        s_.finder.setPluginFolder(location.pluginFolder);
        result = padsmith::importInstrument(kit, pad, padIndex, toFsPath(dialog.path()), s_.finder,
                                            location.codePage);
    }
    if (!result.opened) {
        messageBox(MessageButtons::Ok, MessageIcon::Warning,
                   QStringLiteral("Can't open %1").arg(dialog.path()));
        return;
    }
    const int firstNew = static_cast<int>(kit.current().size());
    KitEdit edit;
    edit.name = "Import Instrument";
    edit.changes.push_back({padIndex, kit.current(), pad});
    s_.edits.apply(std::move(edit));
    if (result.imported > 0) {
        s_.zones.selectRow(firstNew);
    }
    if (!result.refused.empty()) {
        QStringList lines;
        for (const std::string& line : result.refused) {
            lines.append(fromStd(line));
        }
        messageBox(MessageButtons::Ok, MessageIcon::Warning,
                   QStringLiteral("These zones were not imported:\n") + lines.join('\n'));
    }
    if (!result.content.complete) {
        const QString text = fromStd(describeIncompleteRead(result.content, toStd(dialog.path())));
        messageBox(MessageButtons::Ok, MessageIcon::Warning,
                   text + QStringLiteral("\n\n%1 zone(s) imported.").arg(result.imported));
    }
}

void InstrumentCommands::saveInstrumentAsKit() {
    KitDocument& kit = s_.kit;
    if (kit.current().empty()) {
        return;
    }
    const KitLocation location = s_.location();
    const std::filesystem::path& plugin = location.pluginFolder;
    const CodePage& page = location.codePage;
    std::filesystem::path target;
    std::vector<std::string> notCopied;
    PadKitResult result = PadKitResult::Failed;
    {
        const BusyScope busy(s_.host);
        result = savePadAsKit(kit, kit.currentPad, location, false, &target, &notCopied);
    }
    if (result == PadKitResult::Exists) {
        // The name is the kit's and the pad's: a pad named like another kit would replace
        // that kit's script.
        const int answer =
            messageBox(MessageButtons::YesNo, MessageIcon::Warning,
                       QStringLiteral("%1 already exists.\nDo you want to replace it?")
                           .arg(nativePath(target)));
        if (answer != AnswerYes) {
            return;
        }
        const BusyScope busy(s_.host);
        result = savePadAsKit(kit, kit.currentPad, location, true, &target, &notCopied);
    }
    showModified();
    if (result == PadKitResult::Written && !notCopied.empty()) {
        QStringList names;
        for (const std::string& name : notCopied) {
            names.append(fromStd(name));
        }
        messageBox(MessageButtons::Ok, MessageIcon::Warning,
                   QStringLiteral("These samples could not be copied into %1:\n%2")
                       .arg(nativePath(plugin), names.join('\n')));
    }
    switch (result) {
    case PadKitResult::Written:
    case PadKitResult::EmptyPad:
    case PadKitResult::Exists:
        return;
    case PadKitResult::BadName:
        messageBox(MessageButtons::Ok, MessageIcon::Warning,
                   QStringLiteral("The kit name and the pad name give no file name.\nPlease "
                                  "rename the pad."));
        return;
    case PadKitResult::Unheld:
        messageBox(MessageButtons::Ok, MessageIcon::Warning,
                   QStringLiteral("Can't write %1\n").arg(nativePath(target)) +
                       fromStd(codePageRefusal(page, formatPadKitScript(kit, kit.currentPad))
                                   .value_or(std::string())));
        return;
    case PadKitResult::Failed:
        messageBox(MessageButtons::Ok, MessageIcon::Warning,
                   QStringLiteral("Can't write %1").arg(nativePath(target)));
        return;
    }
}

} // namespace padsmith
