// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Commands.h"

#include <QAction>
#include <QKeyEvent>
#include <QMenu>
#include <QWidget>
#include <algorithm>
#include <array>

namespace padsmith {

namespace {

using Id = CommandId;
using Keys = QList<QKeySequence>;

using Part = CommandPart;

constexpr CommandOwners always(Part part) {
    return {part, Part::None, Part::None};
}
constexpr CommandOwners focused(Part pads, Part zones) {
    return {Part::None, pads, zones};
}

QKeySequence ctrl(Qt::Key key) {
    return QKeySequence(Qt::CTRL | key);
}

// Every command of the editor. Menu texts and shortcut texts are shown exactly as written.
const std::array kCommandRows{
    CommandRow{Id::New, "&New", "Ctrl+N", Keys{ctrl(Qt::Key_N)}, always(Part::Document)},
    CommandRow{Id::NewKitFromFolder, "New Kit from Folder…", "", Keys{}, always(Part::Drops)},
    CommandRow{Id::Open, "&Open...", "Ctrl+O", Keys{ctrl(Qt::Key_O)}, always(Part::Document)},
    CommandRow{Id::Save, "&Save", "Ctrl+S",
               Keys{ctrl(Qt::Key_S), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)},
               always(Part::Document)},
    CommandRow{Id::SaveAs, "Save &As...", "", Keys{}, always(Part::Document)},
    CommandRow{Id::ShareSamples, "Share samples", "", Keys{}, always(Part::Window), "", true},
    CommandRow{Id::ExplorePluginFolder, "Explore VST Zarvo Folder", "", Keys{},
               always(Part::Window)},
    CommandRow{Id::ExploreKitFolder, "Explore Your Zarvo Folder", "", Keys{}, always(Part::Window)},
    CommandRow{Id::DeleteUnusedSamples, "Delete Unused Samples from VST Zarvo Folder", "", Keys{},
               always(Part::Window)},
    CommandRow{Id::Exit, "E&xit", "", Keys{}, always(Part::Window)},
    CommandRow{Id::About, "About", "", Keys{QKeySequence(Qt::ALT | Qt::Key_A)},
               always(Part::Window)},
    CommandRow{Id::KitHealth, "Kit &Health", "Ctrl+H", Keys{ctrl(Qt::Key_H)}, always(Part::Window)},
    CommandRow{Id::Undo, "Undo", "Ctrl+Z", Keys{ctrl(Qt::Key_Z)}, always(Part::Window)},
    CommandRow{Id::Redo, "Redo", "Ctrl+Shift+Z",
               Keys{QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), ctrl(Qt::Key_Y)},
               always(Part::Window)},
    CommandRow{Id::Revert, "Revert to Saved", "", Keys{}, always(Part::Window)},
    CommandRow{Id::Cut, "Cu&t", "Ctrl+X", Keys{ctrl(Qt::Key_X)}, focused(Part::Pads, Part::None)},
    CommandRow{Id::Copy, "&Copy", "Ctrl+C", Keys{ctrl(Qt::Key_C)},
               focused(Part::Pads, Part::Zones)},
    CommandRow{Id::Paste, "&Paste/Swap", "Ctrl+V", Keys{ctrl(Qt::Key_V)},
               focused(Part::Pads, Part::Zones), "&Paste/Swap/Move\tCtrl+V"},
    CommandRow{Id::Rename, "&Rename", "F2", Keys{QKeySequence(Qt::Key_F2)},
               focused(Part::Pads, Part::ZoneList), "&Rename/Change\tF2"},
    CommandRow{Id::Delete, "&Delete", "Del",
               Keys{QKeySequence(Qt::Key_Delete), QKeySequence(Qt::SHIFT | Qt::Key_Delete)},
               focused(Part::Pads, Part::Zones), "Delete\tDel (+SHIFT Delete from disk)"},
    CommandRow{Id::SelectAll, "", "", Keys{ctrl(Qt::Key_A)}, focused(Part::None, Part::ZoneList)},
    CommandRow{Id::Navigate, "", "",
               Keys{QKeySequence(Qt::Key_Left), QKeySequence(Qt::Key_Right),
                    QKeySequence(Qt::Key_Up), QKeySequence(Qt::Key_Down),
                    QKeySequence(Qt::Key_Space)},
               focused(Part::Pads, Part::ZoneList)},
    CommandRow{Id::SwitchFocus, "", "",
               Keys{QKeySequence(Qt::Key_Tab), QKeySequence(Qt::SHIFT | Qt::Key_Tab),
                    QKeySequence(Qt::Key_Backtab), QKeySequence(Qt::SHIFT | Qt::Key_Backtab)},
               always(Part::Window)},
    // Ctrl+Shift+S is Save's: the instruments have keys of their own.
    CommandRow{Id::ImportInstrument, "Import Instrument", "Ctrl+Shift+O",
               Keys{QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O)}, always(Part::Instruments)},
    CommandRow{Id::ExportInstrument, "Export Instrument", "Ctrl+Shift+E",
               Keys{QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E)}, always(Part::Instruments)},
    CommandRow{Id::SaveInstrumentAsKit, "Save Instrument as kit", "", Keys{},
               always(Part::Instruments)},
    CommandRow{Id::ImportKit, "Import Kit\u2026", "", Keys{}, always(Part::ForeignKits)},
    CommandRow{Id::ExportKit, "Export Kit\u2026", "", Keys{}, always(Part::ForeignKits)},
    CommandRow{Id::ImportSamples, "Import samples", "DblClk", Keys{},
               focused(Part::None, Part::Zones)},
    CommandRow{Id::SpreadVelocities, "Set dynamic velocity", "", Keys{},
               focused(Part::None, Part::ZoneList)},
    CommandRow{Id::EditSample, "Edit", "Ctrl+E", Keys{ctrl(Qt::Key_E)},
               focused(Part::None, Part::Zones)},
    CommandRow{Id::SelectWaveEditor, "Select Wave Editor", "", Keys{},
               focused(Part::None, Part::Zones)},
    CommandRow{Id::PlayGroove, "Play Groove\u2026", "", Keys{}, always(Part::Grooves), "", true},
    CommandRow{Id::PlayVelocitySweep, "Play Velocity Sweep", "", Keys{}, always(Part::Grooves), "",
               true},
    CommandRow{Id::StopGroove, "", "", Keys{QKeySequence(Qt::Key_Escape)}, always(Part::Grooves)},
    // Clicks: a pad's name, the picture.
    CommandRow{Id::RenamePad, "", "", Keys{}, always(Part::Pads)},
    CommandRow{Id::Picture, "", "", Keys{}, always(Part::Window)},
};

constexpr Id kSeparator = Id::Separator;

constexpr std::array kFileMenu{
    Id::New,
    Id::NewKitFromFolder,
    Id::Open,
    Id::Save,
    Id::SaveAs,
    kSeparator,
    Id::ImportKit,
    Id::ExportKit,
    kSeparator,
    Id::ShareSamples,
    kSeparator,
    Id::ExplorePluginFolder,
    Id::ExploreKitFolder,
    kSeparator,
    Id::DeleteUnusedSamples,
    kSeparator,
    Id::RecentFirst,
    kSeparator,
    Id::Exit,
};

constexpr std::array kPadMenu{
    Id::Undo,
    Id::Redo,
    kSeparator,
    Id::Cut,
    Id::Copy,
    Id::Paste,
    kSeparator,
    Id::Rename,
    Id::Delete,
    kSeparator,
    Id::ImportInstrument,
    Id::ExportInstrument,
    Id::SaveInstrumentAsKit,
    kSeparator,
    Id::PlayGroove,
    Id::PlayVelocitySweep,
    kSeparator,
    Id::Revert,
};

constexpr std::array kZoneMenu{
    Id::Undo,
    Id::Redo,
    kSeparator,
    Id::ImportSamples,
    kSeparator,
    Id::ImportInstrument,
    Id::ExportInstrument,
    Id::SaveInstrumentAsKit,
    kSeparator,
    Id::Copy,
    Id::Paste,
    kSeparator,
    Id::Rename,
    Id::Delete,
    kSeparator,
    Id::SpreadVelocities,
    kSeparator,
    Id::EditSample,
    Id::SelectWaveEditor,
    kSeparator,
    Id::Revert,
};

// A menu entry's text: the text, then the shortcut text after a tab.
QString fullText(const QString& text, const char* shortcutText) {
    QString result = text;
    if (*shortcutText != '\0') {
        result += QLatin1Char('\t') + QString::fromUtf8(shortcutText);
    }
    return result;
}

bool hasCtrlOrAlt(const QKeySequence& keys) {
    return keys.count() > 0 &&
           (keys[0].keyboardModifiers() & (Qt::ControlModifier | Qt::AltModifier)) != 0;
}

} // namespace

std::span<const CommandRow> commandRows() {
    return kCommandRows;
}

const CommandRow* commandRow(CommandId id) {
    const auto found = std::find_if(kCommandRows.begin(), kCommandRows.end(),
                                    [id](const CommandRow& row) { return row.id == id; });
    return found == kCommandRows.end() ? nullptr : &*found;
}

CommandOwners commandOwners(CommandId id) {
    if (id >= CommandId::RecentFirst && id <= CommandId::RecentLast) {
        return always(Part::Document);
    }
    const CommandRow* row = commandRow(id);
    return row != nullptr ? row->owners : CommandOwners{};
}

std::span<const CommandId> fileMenuLayout() {
    return kFileMenu;
}
std::span<const CommandId> padMenuLayout() {
    return kPadMenu;
}
std::span<const CommandId> zoneMenuLayout() {
    return kZoneMenu;
}

CommandId commandId(const QAction* action) {
    if (action == nullptr) {
        return CommandId::None;
    }
    bool ok = false;
    const int id = action->data().toInt(&ok);
    return ok ? static_cast<CommandId>(id) : CommandId::None;
}

CommandTable::CommandTable(QWidget* window) : QObject(window) {
    for (const CommandRow& row : kCommandRows) {
        auto* item = new QAction(fullText(QString::fromUtf8(row.text), row.shortcutText), window);
        item->setData(static_cast<int>(row.id));
        item->setCheckable(row.checkable);
        QList<QKeySequence> shortcuts;
        std::copy_if(row.keys.begin(), row.keys.end(), std::back_inserter(shortcuts), hasCtrlOrAlt);
        if (!shortcuts.isEmpty()) {
            item->setShortcuts(shortcuts);
            item->setShortcutContext(Qt::WindowShortcut);
            window->addAction(item);
        }
        connect(item, &QAction::triggered, this, [this, id = row.id] { emit triggered(id); });
        actions_.append(item);
    }
}

QAction* CommandTable::action(CommandId id) const {
    for (QAction* item : actions_) {
        if (commandId(item) == id) {
            return item;
        }
    }
    return nullptr;
}

void CommandTable::fillMenu(QMenu* menu, std::span<const CommandId> layout) const {
    for (CommandId id : layout) {
        if (id == CommandId::Separator) {
            menu->addSeparator();
        } else if (id == CommandId::RecentFirst) {
            QAction* placeholder = menu->addAction(QStringLiteral("Recent File"));
            placeholder->setData(static_cast<int>(id));
            placeholder->setEnabled(false);
        } else if (QAction* item = action(id)) {
            menu->addAction(item);
        }
    }
}

CommandId CommandTable::plainKeyCommand(const QKeyEvent& key) const {
    const Qt::KeyboardModifiers modifiers =
        key.modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    if ((modifiers & (Qt::ControlModifier | Qt::AltModifier)) != 0) {
        return CommandId::None;
    }
    const QKeySequence pressed(QKeyCombination(modifiers, static_cast<Qt::Key>(key.key())));
    for (const CommandRow& row : kCommandRows) {
        if (row.keys.contains(pressed)) {
            return row.id;
        }
    }
    return CommandId::None;
}

void CommandTable::setEnabled(CommandId id, bool enabled) {
    if (QAction* item = action(id)) {
        item->setEnabled(enabled);
    }
}

bool CommandTable::isEnabled(CommandId id) const {
    const QAction* item = action(id);
    return item == nullptr || item->isEnabled();
}

void CommandTable::setText(CommandId id, const QString& text) {
    const CommandRow* row = commandRow(id);
    QAction* item = action(id);
    if (row == nullptr || item == nullptr) {
        return;
    }
    item->setText(fullText(text, row->shortcutText));
}

void CommandTable::showTextsFor(WindowFocus focus) {
    for (const CommandRow& row : kCommandRows) {
        if (*row.zoneText == '\0') {
            continue;
        }
        if (QAction* item = action(row.id)) {
            item->setText(focus == WindowFocus::Zones
                              ? QString::fromUtf8(row.zoneText)
                              : fullText(QString::fromUtf8(row.text), row.shortcutText));
        }
    }
}

void applyCommandStates(CommandTable& table, const CommandContext& context) {
    if (context.focus == WindowFocus::Zones) {
        const bool onRow = context.zoneRows > 0 && context.zoneRowCurrent;
        for (CommandId id :
             {CommandId::Copy, CommandId::Delete, CommandId::Rename, CommandId::EditSample}) {
            table.setEnabled(id, onRow);
        }
        table.setEnabled(CommandId::Cut, false); // cutting is a pad command
        table.setEnabled(CommandId::Paste, context.zoneRowsRemembered && context.zoneRowCurrent);
        table.setEnabled(CommandId::SpreadVelocities, context.zoneRows > 1);
    } else {
        table.setEnabled(CommandId::Rename, true);
        for (CommandId id : {CommandId::Cut, CommandId::Copy, CommandId::Delete}) {
            table.setEnabled(id, context.padHasZones);
        }
        table.setEnabled(CommandId::Paste, context.pasteReady);
    }
    // Whatever has the focus.
    table.setEnabled(CommandId::ExportInstrument, context.padHasZones);
    table.setEnabled(CommandId::SaveInstrumentAsKit, context.padHasZones);
    table.setEnabled(CommandId::DeleteUnusedSamples, context.shareSamples);
    table.setEnabled(CommandId::Revert, context.canRevert);
    table.setEnabled(CommandId::Undo, context.canUndo);
    table.setEnabled(CommandId::Redo, context.canRedo);
    // The same command stops what it started; Escape stops either.
    table.setEnabled(CommandId::PlayVelocitySweep, context.padHasZones || context.sweepPlaying);
    table.setEnabled(CommandId::StopGroove, context.groovePlaying || context.sweepPlaying);
    for (const auto& [id, on] : {std::pair{CommandId::PlayGroove, context.groovePlaying},
                                 std::pair{CommandId::PlayVelocitySweep, context.sweepPlaying}}) {
        if (QAction* item = table.action(id)) {
            item->setChecked(on);
        }
    }
}

} // namespace padsmith
