// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/Dialogs.h"

#include <QObject>
#include <QString>

namespace padsmith {

class MainWindow;
class SettingsStore;

// The three commands that carry the current pad out of the kit and into it, whatever control
// has the focus: Export Instrument writes the pad to a .zvi file, Import Instrument appends the
// zones of one to the pad (one undo step), Save Instrument as kit writes the pad as a kit script
// of its own into the plug-in folder.
class InstrumentCommands : public QObject {
    Q_OBJECT
public:
    InstrumentCommands(MainWindow& window, SettingsStore& settings);

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

    MainWindow& window_;
    SettingsStore& settings_;
};

} // namespace padsmith
