// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/Dialogs.h"

#include <QObject>

namespace padsmith {

class MainWindow;
class SettingsStore;

// File > "Import Kit..." and "Export Kit...": a Hydrogen drumkit or an SFZ instrument opened as
// a new, unsaved kit (samples the plug-in cannot read are decoded into the user's cache folder,
// so nothing in the plug-in folder changes before Save), and the kit written as either, with a
// report of what the other format could not take.
class ForeignKitCommands : public QObject {
    Q_OBJECT
public:
    ForeignKitCommands(MainWindow& window, SettingsStore& settings);

    void importKit();
    void exportKit();

    static FileFilter importFilter();
    static FileFilter exportFilter();

private:
    MainWindow& window_;
    SettingsStore& settings_;
};

} // namespace padsmith
