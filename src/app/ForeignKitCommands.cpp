// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ForeignKitCommands.h"

#include "app/ConversionProgress.h"
#include "app/Document.h"
#include "app/FileDialog.h"
#include "app/FormatsModule.h"
#include "app/Services.h"
#include "app/Text.h"
#include "formats/KitFormats.h"
#include "kit/ConversionFolders.h"
#include "kit/KitHost.h"
#include "kit/KitName.h"
#include "kit/KitScript.h"
#include "kit/SampleFolders.h"
#include "platform/Files.h"

#include <QDir>
#include <QFileInfo>
#include <QWidget>
#include <map>
#include <optional>
#include <set>

namespace padsmith {

namespace {

QString reportText(const QString& summary, const std::vector<std::string>& report) {
    QString text = summary;
    if (!report.empty()) {
        text += QStringLiteral("\n\nNot carried over:");
        for (const std::string& line : report) {
            text += QStringLiteral("\n- ") + fromStd(line);
        }
    }
    return text;
}

int padsWithZones(const KitDocument& kit) {
    int pads = 0;
    for (const Pad& pad : kit.pads) {
        pads += pad.empty() ? 0 : 1;
    }
    return pads;
}

// The folder of one conversion in the cache that `source` lies in, or nothing.
std::optional<std::filesystem::path> conversionOf(const std::filesystem::path& source,
                                                  const std::filesystem::path& conversions) {
    const std::filesystem::path relative = source.lexically_relative(conversions);
    if (relative.empty() || *relative.begin() == ".." || relative.is_absolute()) {
        return std::nullopt;
    }
    return conversions / *relative.begin();
}

bool holdsFiles(const std::filesystem::path& folder) {
    std::error_code ec;
    for (std::filesystem::recursive_directory_iterator it(folder, ec), end; !ec && it != end;
         it.increment(ec)) {
        if (!it->is_directory(ec)) {
            return true;
        }
    }
    return false;
}

} // namespace

void keepImportedSources(KitDocument& kit, const KitLocation& location,
                         const std::filesystem::path& scriptPath) {
    namespace fs = std::filesystem;
    const std::string kitName = kitNameForScript(scriptPath);
    if (kitName.empty()) {
        return; // the save refuses the name
    }
    const fs::path conversions = conversionsFolder(userCacheFolder()).lexically_normal();
    const fs::path folder =
        joinPath(location.pluginFolder, chooseSampleFolder(location.shareSamples, kitName));
    std::map<std::string, std::string> moved;
    std::set<fs::path> left;
    for (Pad& pad : kit.pads) {
        for (SampleZone& zone : pad) {
            if (const auto known = moved.find(zone.sourcePath); known != moved.end()) {
                zone.sourcePath = known->second;
                continue;
            }
            const fs::path source = fs::path(zone.sourcePath).lexically_normal();
            const std::optional<fs::path> conversion = isCopyableSource(zone.sourcePath)
                                                           ? conversionOf(source, conversions)
                                                           : std::nullopt;
            if (!conversion || !isPlainName(zone.sampleName)) {
                continue;
            }
            const fs::path target = joinPath(folder, zone.sampleName);
            std::error_code ec;
            if (fs::exists(fs::symlink_status(target, ec)) || !createFolderChain(folder) ||
                !movePath(source, target, ec)) {
                continue;
            }
            moved[zone.sourcePath] = target.string();
            zone.sourcePath = target.string();
            left.insert(*conversion);
        }
    }
    for (const fs::path& conversion : left) {
        if (!holdsFiles(conversion)) {
            deletePath(conversion);
        }
    }
}

ForeignKitCommands::ForeignKitCommands(Services services)
    : QObject(&services.owner), s_(std::move(services)) {}

void ForeignKitCommands::run(CommandId id, int /*index*/) {
    if (id == CommandId::ImportKit) {
        importKit();
    } else if (id == CommandId::ExportKit) {
        exportKit();
    }
}

FileFilter ForeignKitCommands::importFilter() {
    return {QStringLiteral("SFZ or Hydrogen Kit (*.sfz drumkit.xml *.h2drumkit)"),
            QStringLiteral("*.sfz;drumkit.xml;*.h2drumkit")};
}

FileFilter ForeignKitCommands::exportFilter() {
    return {QStringLiteral("SFZ File or Hydrogen Kit (*.sfz drumkit.xml *.h2drumkit)"),
            QStringLiteral("*.sfz;drumkit.xml;*.h2drumkit")};
}

void ForeignKitCommands::importKit() {
    if (s_.document.askSaveChanges() == AnswerCancel) {
        return;
    }
    FileDialog dialog(s_.settings, importFilter(), QStringLiteral("Import Kit"));
    if (!dialog.showOpen(&s_.owner)) {
        return;
    }
    const std::filesystem::path path = toFsPath(dialog.path());
    std::optional<formats::Conversion> conversion;
    std::string error;
    std::string name = toStd(QFileInfo(dialog.path()).fileName());
    bool canceled = false;
    {
        const BusyScope busy(s_.host);
        QString missing;
        if (formats::KitFormats* formats = s_.formats.formats(missing)) {
            ConversionProgress progress(&s_.owner, QStringLiteral("Importing"), true);
            conversion = formats->importKit(
                path, userCacheFolder(), name, error,
                [&progress](int done, int total) { return progress.step(done, total); });
            canceled = progress.canceled();
        } else {
            error = toStd(missing);
        }
    }
    const QString shown = fromStd(name);
    if (!conversion && canceled) {
        return;
    }
    if (!conversion) {
        messageBox(MessageButtons::Ok, MessageIcon::Warning,
                   QStringLiteral("Can't import %1\n%2")
                       .arg(QDir::toNativeSeparators(dialog.path()), fromStd(error)));
        return;
    }
    s_.document.adoptPads(conversion->kit.pads);
    // As after an open: the first pad's first zone selected, its waveform shown.
    s_.host.selectPad(0, 0);
    messageBox(MessageButtons::Ok, MessageIcon::Information,
               reportText(QStringLiteral("%1: %2 pad(s), %3 zone(s).")
                              .arg(shown)
                              .arg(padsWithZones(conversion->kit))
                              .arg(conversion->zones),
                          conversion->report));
}

void ForeignKitCommands::exportKit() {
    KitDocument& kit = s_.kit;
    if (padsWithZones(kit) == 0) {
        messageBox(MessageButtons::Ok, MessageIcon::Warning,
                   QStringLiteral("The kit has no zones to export."));
        return;
    }
    FileDialog dialog(s_.settings, exportFilter(), QStringLiteral("Export Kit"));
    dialog.setPath(fromStd(kit.kitName) + QStringLiteral(".sfz"));
    if (!dialog.showSave(&s_.owner)) {
        return;
    }
    const std::filesystem::path path = toFsPath(dialog.path());
    formats::ExportResult result;
    {
        const BusyScope busy(s_.host);
        QString missing;
        if (formats::KitFormats* formats = s_.formats.formats(missing)) {
            ConversionProgress progress(&s_.owner, QStringLiteral("Exporting"), false);
            result =
                formats->exportKit(kit, path, userCacheFolder(), [&progress](int done, int total) {
                    return progress.step(done, total);
                });
        } else {
            result.error = toStd(missing);
        }
    }
    if (!result.error.empty()) {
        messageBox(MessageButtons::Ok, MessageIcon::Warning,
                   QStringLiteral("Can't export %1\n%2")
                       .arg(QDir::toNativeSeparators(dialog.path()), fromStd(result.error)));
        return;
    }
    messageBox(MessageButtons::Ok, MessageIcon::Information,
               reportText(QStringLiteral("%1: %2 zone(s) written.")
                              .arg(QDir::toNativeSeparators(dialog.path()))
                              .arg(result.regions),
                          result.report));
}

} // namespace padsmith
