// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/Commands.h"
#include "app/Dialogs.h"

#include <QObject>
#include <filesystem>

class QWidget;

namespace padsmith {

class Document;
class FormatsModule;
class KitDocument;
class KitHost;
class SettingsStore;
struct KitLocation;

// Before a save: the samples an imported kit plays from its conversion folder in the user's
// cache (decoded or unpacked files) move into the kit's sample folder, where the save would
// copy them, and the zones play them there; the saved kit outlives the cache. A sample whose
// name is taken in that folder stays where it is.
void keepImportedSources(KitDocument& kit, const KitLocation& location,
                         const std::filesystem::path& scriptPath);

// File > "Import Kit..." and "Export Kit...": a Hydrogen drumkit or an SFZ instrument opened as
// a new, unsaved kit (samples the plug-in cannot read are decoded into the user's cache folder,
// so nothing in the plug-in folder changes before Save), and the kit written as either, with a
// report of what the other format could not take.
class ForeignKitCommands : public QObject, public CommandRunner {
    Q_OBJECT
public:
    struct Services {
        QWidget& owner; // of the dialogs
        KitDocument& kit;
        Document& document;
        KitHost& host;
        FormatsModule& formats;
        SettingsStore& settings;
    };
    explicit ForeignKitCommands(Services services);

    // Import Kit and Export Kit.
    void run(CommandId id, int index) override;

    void importKit();
    void exportKit();

    static FileFilter importFilter();
    static FileFilter exportFilter();

private:
    Services s_;
};

} // namespace padsmith
