// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "kit/KitDocument.h"

#include <QAbstractTableModel>
#include <QIcon>
#include <QString>
#include <map>
#include <utility>

namespace padsmith {

// The zones of the kit's current pad as a table: one row per zone, the zone list's eight
// columns, every text read from the kit when it is asked for. The model holds no zone: after
// the kit changed, showPad() tells the views which rows came, went or changed.
class ZoneTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit ZoneTableModel(const KitDocument& kit, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    // Display: the cell's text; Edit: the text an edit starts with; the column's alignment;
    // the row's picture (or its mark) in the first column; the mark's text as tooltip.
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    void setRowIcon(const QIcon& icon) { rowIcon_ = icon; }

    // A row that something is wrong with: its icon takes the place of the row's picture, and
    // its text is the row's tooltip.
    struct RowMark {
        QIcon icon;
        QString toolTip;
    };
    // Marks by (pad, row); replaces the earlier marks and shows the rows again.
    void setRowMarks(std::map<std::pair<int, int>, RowMark> marks);

    // Shows the kit's current pad again: another pad is shown anew; for the same pad, rows
    // are added or removed to match and the rest are reported changed.
    void showPad();
    // The texts of rows `first` to `last` changed.
    void showRows(int first, int last);
    int shownPad() const { return shownPad_; }

private:
    const SampleZone* zoneAt(int row) const;

    const KitDocument& kit_;
    QIcon rowIcon_;
    std::map<std::pair<int, int>, RowMark> marks_;
    int shownPad_ = -1;
    int shownRows_ = 0; // what the views were told
};

} // namespace padsmith
