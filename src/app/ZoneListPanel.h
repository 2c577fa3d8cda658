// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/Commands.h"

#include <QColor>
#include <QFont>
#include <QList>
#include <QObject>
#include <functional>
#include <string>

class QMenu;
class QWidget;

namespace padsmith {

class CellTableView;
struct SampleZone;
class EditPath;
class KitDocument;
class KitHost;
class ZoneTableModel;

// The zone list of the window: a small spreadsheet of the current pad's zones. Cells are
// edited in place and committed through the edit path; clicks and arrow keys audition the
// zone; the "LVPOP" popup opens on a right click. The list's own commands (arrows, F2, Select
// All, dynamic velocity) are carried out here; ZoneCommands has the ones that change files.
class ZoneListPanel : public QObject, public CommandRunner {
    Q_OBJECT
public:
    // What the panel needs from the window around it.
    struct Hooks {
        std::function<void(const SampleZone& zone)> preview; // on the chosen output
        // The key that gave the last navigation command (Qt::Key), and whether it repeats.
        std::function<int()> commandKey;
        std::function<bool()> keyRepeating;
    };

    static const QColor kBackground; // red 0x37, green 0x37, blue 0xFF
    static const QColor kText;

    // `report` shows a double-defined note (the other pad selected, the message).
    ZoneListPanel(KitDocument& kit, EditPath& edits, KitHost& report, QWidget* parent,
                  Hooks hooks = {});

    CellTableView* view() const { return view_; }
    ZoneTableModel& model() const { return *model_; }
    // The list itself has the keyboard focus (zone commands go to it).
    bool hasFocus() const;
    // The list or a cell editor on it has the focus (the current pad's marker is blue).
    bool ownsFocus() const;

    // Lists the zones of the current pad; rows of the same pad keep their selection.
    void showPadZones();
    // Shows one row again from the kit.
    void showZoneRow(int row);
    // Selects `row` alone, in view and centred, with the first column current.
    void selectRow(int row);
    // Selects these rows, the first as with selectRow (rows of no zone are passed over).
    void selectRows(const QList<int>& rows);
    // The row of the cell cursor, -1 when there is none.
    int currentRow() const;
    // The selected rows, ascending.
    QList<int> selectedRows() const;
    int rowCount() const;

    // Auditions the current row (or else the first selected one).
    void playZone();
    // Applies a typed cell text to the selected rows and the cursor's row `row` (every row with
    // Ctrl held) as one edit.
    void commitCell(int row, int column, const QString& text);
    // Ends an open cell edit with a commit before a command goes on; false when the text spells
    // nothing and the editor stays open (the user was told).
    bool commitOpenEdit();
    // "Set dynamic velocity" on the current pad.
    void spreadVelocities();
    // Rows dragged onto `target` (to be copied with `copy`): handed on as rowsDropped.
    void moveRows(const QList<int>& rows, int target, bool copy);

    // The popup shown on a right click, after the list has taken the focus.
    void setContextMenu(QMenu* menu) { contextMenu_ = menu; }
    // A command of the list's own, while it has the focus.
    void run(CommandId id, int index) override;
    // The enabling of the zone commands, while the list has the focus.
    void describe(CommandContext& context) const;

signals:
    // A Sample cell's edit ended with `text`: the sample is to be renamed.
    void sampleNameCommitted(int row, const QString& text);
    // Rows were dragged onto `target`, with Control held for `copy`.
    void rowsDropped(const QList<int>& rows, int target, bool copy);

private:
    void clicked(int row, int column);
    bool acceptCellText(int column, const QString& text);
    void doubleClicked(int column);
    void navigate();

    KitDocument& kit_;
    EditPath& edits_;
    KitHost& report_;
    Hooks hooks_;
    ZoneTableModel* model_;
    CellTableView* view_;
    QMenu* contextMenu_ = nullptr;
    bool commandCommit_ = false; // the commit ends an edit for a command, not by a key
};

// The fonts of the zone list: rows "Tahoma" 11 pixels, header "Tahoma" 9 pixels (or the
// closest font present).
QFont zoneRowFont();
QFont zoneHeaderFont();

} // namespace padsmith
