#include "app/ZoneListPanel.h"

#include "kit/Pad.h"
#include "kit/ZoneColumns.h"
#include "ui/ZoneListView.h"

#include <QMenu>

namespace padsmith {

ZoneListPanel::ZoneListPanel(QWidget* parent) : QObject(parent), view_(new ZoneListView(parent)) {
    view_->setRowIcon(QIcon(QStringLiteral(":/padsmith/zone.png")));
    view_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(view_, &QWidget::customContextMenuRequested, this, [this](const QPoint& place) {
        view_->setFocus(Qt::OtherFocusReason);
        if (contextMenu_ != nullptr) {
            contextMenu_->exec(view_->viewport()->mapToGlobal(place));
        }
    });
}

bool ZoneListPanel::hasFocus() const {
    return view_->hasFocus();
}

void ZoneListPanel::showPadZones(const Pad& pad) {
    view_->clearContents();
    view_->setRowCount(static_cast<int>(pad.size()));
    for (int row = 0; row < view_->rowCount(); ++row) {
        const SampleZone& zone = pad.at(static_cast<std::size_t>(row));
        for (int column = 0; column < kZoneColumnCount; ++column) {
            auto* cell = new QTableWidgetItem(
                QString::fromStdString(zoneCellText(zone, static_cast<ZoneColumn>(column))));
            cell->setTextAlignment(ZoneListView::columnAlignment(column) | Qt::AlignVCenter);
            if (column == 0) {
                cell->setIcon(view_->rowIcon());
            }
            view_->setItem(row, column, cell);
        }
    }
}

void ZoneListPanel::selectRow(int row) {
    view_->clearSelection();
    if (row < 0 || row >= view_->rowCount()) {
        return;
    }
    view_->setCurrentCell(row, 0, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    view_->scrollTo(view_->model()->index(row, 0), QAbstractItemView::PositionAtCenter);
}

int ZoneListPanel::currentRow() const {
    const QModelIndexList rows = view_->selectionModel() != nullptr
                                     ? view_->selectionModel()->selectedRows()
                                     : QModelIndexList{};
    return rows.isEmpty() ? -1 : rows.first().row();
}

bool ZoneListPanel::handleCommand(CommandId id) {
    return handler_ ? handler_(id) : false;
}

} // namespace padsmith
