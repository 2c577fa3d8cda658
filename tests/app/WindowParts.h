// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The window's controls and parts, found as a user's tools find them: by type or name among
// the window's children.

#include "app/AboutDialog.h"
#include "app/AnimationControl.h"
#include "app/AudioOutMenu.h"
#include "app/Commands.h"
#include "app/Controls.h"
#include "app/HealthPanel.h"
#include "app/KitFields.h"
#include "app/MainWindow.h"
#include "app/MidiRouter.h"
#include "app/PadMapPanel.h"
#include "app/PadPanel.h"
#include "app/ZoneCommands.h"
#include "app/ZoneListPanel.h"
#include "ui/CellTableView.h"

#include <QLabel>
#include <QLineEdit>
#include <QMenu>

namespace padsmith::test {

template <typename T> T& part(const QWidget& window) {
    T* found = window.findChild<T*>();
    Q_ASSERT(found != nullptr);
    return *found;
}

inline PadPanel& padPanel(const QWidget& w) {
    return part<PadPanel>(w);
}
inline ZoneListPanel& zonePanel(const QWidget& w) {
    return part<ZoneListPanel>(w);
}
inline ZoneCommands& zoneCommands(const QWidget& w) {
    return part<ZoneCommands>(w);
}
inline MidiRouter& midiRouter(const QWidget& w) {
    return part<MidiRouter>(w);
}
inline PadMapPanel& padMapPanel(const QWidget& w) {
    return part<PadMapPanel>(w);
}
inline HealthPanel& healthPanel(const QWidget& w) {
    return part<HealthPanel>(w);
}
inline CommandTable& commands(const QWidget& w) {
    return part<CommandTable>(w);
}
inline AudioOutMenu* audioOutMenu(const QWidget& w) {
    return &part<AudioOutMenu>(w);
}
inline AnimationControl* animation(const QWidget& w) {
    return &part<AnimationControl>(w);
}
inline AboutDialog* aboutDialog(const QWidget& w) {
    return w.findChild<AboutDialog*>();
}

inline CellTableView* zoneList(const QWidget& w) {
    return zonePanel(w).view();
}
inline PadButton* padButton(const QWidget& w, int pad) {
    return padPanel(w).button(pad);
}
inline ClickLabel* padLabel(const QWidget& w, int pad) {
    return padPanel(w).label(pad);
}
inline ClickLabel* kitNameField(const QWidget& w) {
    return part<KitFields>(w).kitName();
}
inline QLabel* kitSizeField(const QWidget& w) {
    return part<KitFields>(w).kitSize();
}
inline ClickLabel* sampleFolderField(const QWidget& w) {
    return part<KitFields>(w).sampleFolder();
}
inline QLineEdit* copyrightField(const QWidget& w) {
    return part<KitFields>(w).copyright();
}
inline ClickLabel* picture(const QWidget& w) {
    return w.findChild<ClickLabel*>(QStringLiteral("1082"));
}
inline QMenu* fileMenu(const QWidget& w) {
    return w.findChild<QMenu*>(QStringLiteral("fileMenu"));
}
inline QMenu* padMenu(const QWidget& w) {
    return w.findChild<QMenu*>(QStringLiteral("padMenu"));
}
inline QMenu* zoneMenu(const QWidget& w) {
    return w.findChild<QMenu*>(QStringLiteral("zoneMenu"));
}

// The action of a command: the table's, else an entry of the File menu (the recent files).
inline QAction* action(const QWidget& w, CommandId id) {
    if (QAction* item = commands(w).action(id)) {
        return item;
    }
    for (QAction* item : fileMenu(w)->actions()) {
        if (commandId(item) == id) {
            return item;
        }
    }
    return nullptr;
}

} // namespace padsmith::test
