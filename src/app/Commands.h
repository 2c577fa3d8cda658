// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The editor's commands: one id each, one row of the table in Commands.cpp, one QAction.
//
// To add a command:
//   1. give it an id in `CommandId`;
//   2. add one row to `kCommandRows` in Commands.cpp: id, menu text, shortcut text (what the
//      menu shows after the text), keys, and the part that carries it out (whatever has the
//      focus, or while a pad or the zone list has it); a different text while the zone list
//      has the focus goes in `zoneText`; if it stands in a menu, put its id in that menu's list;
//   3. handle it in that part's `run`; if it is not always enabled, give its rule in
//      applyCommandStates (Commands.cpp).
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
    Separator = 0, // in menu lists only
    // Document
    New,
    Open,
    Save,
    SaveAs,
    RecentFirst, // the recent files of the File menu, 16 entries
    RecentLast = RecentFirst + 15,
    Revert,
    NewKitFromFolder,
    // Edits
    Undo,
    Redo,
    Copy,
    Cut,
    Paste,
    SelectAll,
    Rename,
    RenamePad, // a click on a pad's name: the pad is the command's index
    Delete,
    Navigate,
    // Instruments
    ImportInstrument,
    ExportInstrument,
    SaveInstrumentAsKit,
    // Kits of other samplers
    ImportKit,
    ExportKit,
    // Zones
    ImportSamples,
    EditSample,
    SelectWaveEditor,
    SpreadVelocities,
    // Hearing the kit play
    PlayGroove,
    PlayVelocitySweep,
    StopGroove, // Escape, while a groove or a sweep plays
    // Window
    ExplorePluginFolder,
    ExploreKitFolder,
    SwitchFocus,
    DeleteUnusedSamples,
    ShareSamples,
    KitHealth, // shows or hides the "Kit Health" panel
    About,
    Exit,
    Picture,
};

// Entry k of the recent files.
constexpr CommandId operator+(CommandId first, int k) {
    return static_cast<CommandId>(static_cast<int>(first) + k);
}
constexpr int operator-(CommandId id, CommandId first) {
    return static_cast<int>(id) - static_cast<int>(first);
}

// The parts of the window that carry out commands.
enum class CommandPart {
    None,
    Document,
    Window,
    Instruments,
    ForeignKits,
    Drops,
    Pads,
    ZoneList,
    Zones,
    Grooves
};

// What carries out a command: `always` whatever has the focus; otherwise `pads` while a pad has
// the focus and `zones` while the zone list has it (the same keys act on pads or zones).
struct CommandOwners {
    CommandPart always = CommandPart::None;
    CommandPart pads = CommandPart::None;
    CommandPart zones = CommandPart::None;
};

// A part of the window that carries out the commands its rows name. `index` is the pad or entry
// a command of many places is for (RenamePad), 0 otherwise.
class CommandRunner {
public:
    virtual ~CommandRunner() = default;
    virtual void run(CommandId id, int index) = 0;
};

// Where the keyboard focus is, as far as commands care.
enum class WindowFocus { Pads, Zones, Other };

struct CommandRow {
    CommandId id;
    const char* text;         // menu text, "" for a command of keys only
    const char* shortcutText; // shown after the text in menus, "" for none
    QList<QKeySequence> keys;
    CommandOwners owners;
    const char* zoneText = ""; // text while the zone list has the focus, "" for the same
    bool checkable = false;
};

std::span<const CommandRow> commandRows();
const CommandRow* commandRow(CommandId id);
// Who carries out `id`; the recent files are the document's.
CommandOwners commandOwners(CommandId id);

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
    bool groovePlaying = false;
    bool sweepPlaying = false;
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
