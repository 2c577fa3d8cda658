// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ForeignKitCommands.h"

#include "app/Document.h"
#include "app/FileDialog.h"
#include "app/FormatsModule.h"
#include "app/Services.h"
#include "app/Text.h"
#include "formats/KitFormats.h"
#include "kit/KitHost.h"
#include "platform/Files.h"

#include <QDir>
#include <QFileInfo>
#include <QWidget>

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

} // namespace

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
    return {QStringLiteral("SFZ File or Hydrogen drumkit.xml (*.sfz drumkit.xml)"),
            QStringLiteral("*.sfz;drumkit.xml")};
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
    {
        KitHost& host = s_.host;
        const BusyScope busy(host);
        QString missing;
        if (formats::KitFormats* formats = s_.formats.formats(missing)) {
            // Decoding a library takes a while: the window repaints between samples.
            conversion =
                formats->importKit(path, userCacheFolder(), name, error, [&host](int, int) {
                    host.pumpMessages();
                    return true;
                });
        } else {
            error = toStd(missing);
        }
    }
    const QString shown = fromStd(name);
    if (!conversion) {
        messageBox(MessageButtons::Ok, MessageIcon::Warning,
                   QStringLiteral("Can't import %1\n%2")
                       .arg(QDir::toNativeSeparators(dialog.path()), fromStd(error)));
        return;
    }
    s_.document.adoptPads(conversion->kit.pads);
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
            result = formats->exportKit(kit, path);
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
