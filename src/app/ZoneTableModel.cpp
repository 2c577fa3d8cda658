// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ZoneTableModel.h"

#include "app/Text.h"
#include "kit/ZoneCells.h"
#include "kit/ZoneColumns.h"

namespace padsmith {

namespace {

Qt::Alignment alignmentOf(int column) {
    const ZoneColumnInfo& info = zoneColumns()[static_cast<std::size_t>(column)];
    return (info.align == ZoneColumnInfo::Align::Centre ? Qt::AlignHCenter : Qt::AlignLeft) |
           Qt::AlignVCenter;
}

} // namespace

ZoneTableModel::ZoneTableModel(const KitDocument& kit, QObject* parent)
    : QAbstractTableModel(parent), kit_(kit) {}

int ZoneTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : shownRows_;
}

int ZoneTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kZoneColumnCount;
}

const SampleZone* ZoneTableModel::zoneAt(int row) const {
    if (shownPad_ < 0 || shownPad_ >= kPadCount || row < 0) {
        return nullptr;
    }
    const Pad& pad = kit_.pads[static_cast<std::size_t>(shownPad_)];
    return static_cast<std::size_t>(row) < pad.size() ? &pad.at(static_cast<std::size_t>(row))
                                                      : nullptr;
}

QVariant ZoneTableModel::data(const QModelIndex& index, int role) const {
    const SampleZone* zone = index.isValid() ? zoneAt(index.row()) : nullptr;
    if (zone == nullptr) {
        return {};
    }
    const auto column = static_cast<ZoneColumn>(index.column());
    switch (role) {
    case Qt::DisplayRole:
        return fromStd(zoneCellText(*zone, column));
    case Qt::EditRole:
        return fromStd(editStartText(*zone, column, shownPad_));
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(alignmentOf(index.column()));
    case Qt::DecorationRole: {
        if (index.column() != 0) {
            return {};
        }
        const auto mark = marks_.find({shownPad_, index.row()});
        if (mark != marks_.end()) {
            return mark->second.icon;
        }
        return rowIcon_.isNull() ? QVariant() : QVariant(rowIcon_);
    }
    case Qt::ToolTipRole: {
        const auto mark = marks_.find({shownPad_, index.row()});
        return mark != marks_.end() ? QVariant(mark->second.toolTip) : QVariant();
    }
    default:
        return {};
    }
}

void ZoneTableModel::setRowMarks(std::map<std::pair<int, int>, RowMark> marks) {
    marks_ = std::move(marks);
    if (shownRows_ > 0) {
        emit dataChanged(index(0, 0), index(shownRows_ - 1, kZoneColumnCount - 1),
                         {Qt::DecorationRole, Qt::ToolTipRole});
    }
}

QVariant ZoneTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= kZoneColumnCount) {
        return {};
    }
    if (role == Qt::DisplayRole) {
        return QString::fromLatin1(zoneColumns()[static_cast<std::size_t>(section)].title);
    }
    if (role == Qt::TextAlignmentRole) {
        return QVariant::fromValue(alignmentOf(section));
    }
    return {};
}

Qt::ItemFlags ZoneTableModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) {
        return Qt::NoItemFlags;
    }
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (zoneColumns()[static_cast<std::size_t>(index.column())].editing !=
        ZoneColumnInfo::Editing::Never) {
        flags |= Qt::ItemIsEditable;
    }
    return flags;
}

void ZoneTableModel::showPad() {
    const int pad = kit_.currentPad;
    const int rows = pad >= 0 && pad < kPadCount
                         ? static_cast<int>(kit_.pads[static_cast<std::size_t>(pad)].size())
                         : 0;
    if (pad != shownPad_) {
        beginResetModel();
        shownPad_ = pad;
        shownRows_ = rows;
        endResetModel();
        return;
    }
    if (rows < shownRows_) {
        beginRemoveRows({}, rows, shownRows_ - 1);
        shownRows_ = rows;
        endRemoveRows();
    } else if (rows > shownRows_) {
        beginInsertRows({}, shownRows_, rows - 1);
        shownRows_ = rows;
        endInsertRows();
    }
    showRows(0, rows - 1);
}

void ZoneTableModel::showRows(int first, int last) {
    first = std::max(first, 0);
    last = std::min(last, shownRows_ - 1);
    if (first <= last) {
        emit dataChanged(index(first, 0), index(last, kZoneColumnCount - 1));
    }
}

} // namespace padsmith
