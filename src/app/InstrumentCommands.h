// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/Commands.h"
#include "app/Dialogs.h"
#include "kit/KitScript.h"

#include <QObject>
#include <QString>
#include <functional>

class QWidget;

namespace padsmith {

class Document;
class EditPath;
class KitDocument;
class KitHost;
class SampleFinder;
class SettingsStore;
class ZoneListPanel;

// The three commands that carry the current pad out of the kit and into it, whatever control
// has the focus: Export Instrument writes the pad to a .zvi file, Import Instrument appends the
// zones of one to the pad (one undo step), Save Instrument as kit writes the pad as a kit script
// of its own into the plug-in folder.
class InstrumentCommands : public QObject, public CommandRunner {
    Q_OBJECT
public:
    struct Services {
        QWidget& owner; // of the dialogs
        KitDocument& kit;
        Document& document; // its title
        EditPath& edits;
        KitHost& host;
        SampleFinder& finder;
        ZoneListPanel& zones;
        SettingsStore& settings;
        std::function<KitLocation()> location;
    };
    explicit InstrumentCommands(Services services);

    // Export Instrument, Import Instrument and Save Instrument as kit.
    void run(CommandId id, int index) override;

    void exportInstrument();
    void importInstrument();
    void saveInstrumentAsKit();

    // The file type of the two dialogs; the folder chosen last is stored under its description.
    static FileFilter instrumentFilter();

private:
    // Where the dialogs open: the folder of the selected zone's sample, else the stored folder
    // (empty).
    QString startFolder() const;
    // The pads' zones took their label as pad name: the title shows whether the kit changed.
    void showModified();

    Services s_;
};

} // namespace padsmith
