#pragma once

#include "app/Commands.h"

#include <QObject>
#include <functional>

class QMenu;
class QWidget;

namespace padsmith {

class Pad;
class ZoneListView;

// The zone list of the window: the zones of the current pad, the selected row, the "LVPOP"
// popup on a right click, and the zone commands that arrive while the list has the focus.
class ZoneListPanel : public QObject {
    Q_OBJECT
public:
    using CommandHandler = std::function<bool(CommandId id)>;

    explicit ZoneListPanel(QWidget* parent);

    ZoneListView* view() const { return view_; }
    bool hasFocus() const;

    // Lists the zones of `pad`; the selection is cleared.
    void showPadZones(const Pad& pad);
    // Selects `row` alone, in view and centred, with the first column current.
    void selectRow(int row);
    // The selected row, -1 when none is.
    int currentRow() const;

    // The popup shown on a right click, after the list has taken the focus.
    void setContextMenu(QMenu* menu) { contextMenu_ = menu; }

    // The zone commands: a handler set by the zone commands; without one nothing is done.
    void setCommandHandler(CommandHandler handler) { handler_ = std::move(handler); }
    bool handleCommand(CommandId id);

private:
    ZoneListView* view_;
    QMenu* contextMenu_ = nullptr;
    CommandHandler handler_;
};

} // namespace padsmith
