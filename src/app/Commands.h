// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The editor's commands: one id each, one row of the table in Commands.cpp, one QAction.
//
// To add a command:
//   1. give it an id in `CommandId`;
//   2. add one row to `kCommandRows` in Commands.cpp: id, menu text, shortcut text (what the
//      menu shows after the text), keys, and what it serves (the window whatever has the
//      focus, the pads, the zone list, or both); a different text while the zone list has
//      the focus goes in `zoneText`;
//   3. if it stands in a menu, put its id in that menu's list below the table;
//   4. handle it: a window command with MainWindow::setCommandHandler(id, ...), a pad or zone
//      command in PadPanel::handleCommand or the zone list's handler;
//   5. if it is not always enabled, give its rule in applyCommandStates (Commands.cpp).
// Keys with Ctrl or Alt become the action's shortcuts. Keys without them (Delete, F2, the
// arrows, Space, Tab) reach the focused control first; the window's key filter then turns
// them into the command (plainKeyCommand).

#include <QKeySequence>
#include <QList>
#include <QObject>
#include <QString>
#include <span>

class QAction;
class QKeyEvent;
class QMenu;
class QWidget;

namespace padsmith {

enum class CommandId : int {
    None = -1,
    // Document
    New = 57600,
    Open = 57601,
    Save = 57603,
    SaveAs = 57604,
    RecentFirst = 57616, // the recent files of the File menu, 16 entries
    RecentLast = 57631,
    Revert = 57643,
    NewKitFromFolder = 40122,
    // Edits
    Undo = 40020,
    Redo = 40021,
    Copy = 57634,
    Cut = 57635,
    Paste = 57637,
    SelectAll = 57642,
    Rename = 2050,
    Delete = 2051,
    Navigate = 40008,
    // Instruments
    ImportInstrument = 40001,
    ExportInstrument = 40002,
    SaveInstrumentAsKit = 40016,
    // Kits of other samplers
    ImportKit = 40030,
    ExportKit = 40031,
    // Zones
    ImportSamples = 40003,
    EditSample = 40006,
    SelectWaveEditor = 40007,
    SpreadVelocities = 1085,
    // Window
    ExplorePluginFolder = 40009,
    ExploreKitFolder = 40010,
    SwitchFocus = 40011,
    DeleteUnusedSamples = 40012,
    ShareSamples = 40017,
    KitHealth = 40040, // shows or hides the "Kit Health" panel
    About = 57664,
    Exit = 57665,
    Picture = 1082,
    PadLabelFirst = 1061, // a click on pad label i is PadLabelFirst + i
    AudioOutFirst = 1223, // "Audio Out" entry k is AudioOutFirst + k
    Separator = 0,        // in menu lists only
};

// Entry k of a range of ids (recent files, pad labels, "Audio Out" entries).
constexpr CommandId operator+(CommandId first, int k) {
    return static_cast<CommandId>(static_cast<int>(first) + k);
}
constexpr int operator-(CommandId id, CommandId first) {
    return static_cast<int>(id) - static_cast<int>(first);
}

// What a command acts on: the window's own (whatever has the focus), or what has the focus.
enum class Serves { Window, Pads, Zones, PadsAndZones };

// Where the keyboard focus is, as far as commands care.
enum class WindowFocus { Pads, Zones, Other };

struct CommandRow {
    CommandId id;
    const char* text;         // menu text, "" for a command of keys only
    const char* shortcutText; // shown after the text in menus, "" for none
    QList<QKeySequence> keys;
    Serves serves;
    const char* zoneText = ""; // text while the zone list has the focus, "" for the same
    bool checkable = false;
};

std::span<const CommandRow> commandRows();
const CommandRow* commandRow(CommandId id);

// The menus, as lists of ids (Separator between groups).
std::span<const CommandId> fileMenuLayout();
std::span<const CommandId> padMenuLayout();  // "PADPOP"
std::span<const CommandId> zoneMenuLayout(); // "LVPOP"

// The id carried by a command action (its data()), or None.
CommandId commandId(const QAction* action);

// What the enabling of the commands depends on; gathered by the window after every command.
struct CommandContext {
    WindowFocus focus = WindowFocus::Other;
    bool padHasZones = false; // the current pad
    bool pasteReady = false;  // a pad was cut or copied, and it is not the current pad
    bool shareSamples = false;
    bool canRevert = false;
    bool canUndo = false;
    bool canRedo = false;
    int zoneRows = 0;                // rows of the zone list
    bool zoneRowCurrent = false;     // the zone list has a current row
    bool zoneRowsRemembered = false; // zone rows were copied for a paste
};

// The actions of every row, made once for the window. A triggered action (menu entry or
// shortcut) emits triggered(id).
class CommandTable : public QObject {
    Q_OBJECT
public:
    // The actions are added to `window`, so that their shortcuts work whatever menu is shown.
    explicit CommandTable(QWidget* window);

    QAction* action(CommandId id) const;
    QList<QAction*> actions() const { return actions_; }
    // Appends the entries of `layout` to `menu`. The recent-files entry is a placeholder of
    // the document's own, not a table action.
    void fillMenu(QMenu* menu, std::span<const CommandId> layout) const;

    // The command of a key pressed without Ctrl or Alt, or None.
    CommandId plainKeyCommand(const QKeyEvent& key) const;

    void setEnabled(CommandId id, bool enabled);
    bool isEnabled(CommandId id) const;
    // Sets a command's menu text (the shortcut text is added).
    void setText(CommandId id, const QString& text);
    // Shows the texts for the zone list or for everything else.
    void showTextsFor(WindowFocus focus);

signals:
    void triggered(padsmith::CommandId id);

private:
    QList<QAction*> actions_;
};

// The one place where commands are enabled and grayed.
void applyCommandStates(CommandTable& table, const CommandContext& context);

} // namespace padsmith
