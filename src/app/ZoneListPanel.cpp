// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ZoneListPanel.h"

#include "app/Controls.h"
#include "app/EditPath.h"
#include "app/Text.h"
#include "app/ZoneTableModel.h"
#include "kit/KitDocument.h"
#include "kit/KitHost.h"
#include "kit/ZoneCells.h"
#include "kit/ZoneColumns.h"
#include "ui/CellTableView.h"
#include "ui/EditorHold.h"

#include <QGuiApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QMenu>

namespace padsmith {

const QColor ZoneListPanel::kBackground(0x37, 0x37, 0xFF);
const QColor ZoneListPanel::kText(Qt::white);

namespace {

QFont tahoma(int pixels) {
    QFont font;
    font.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans")});
    font.setPixelSize(pixels);
    font.setWeight(QFont::Normal);
    return font;
}

CellEditing editingOf(ZoneColumnInfo::Editing editing) {
    switch (editing) {
    case ZoneColumnInfo::Editing::OnRequest:
        return CellEditing::OnRequest;
    case ZoneColumnInfo::Editing::ByTyping:
        return CellEditing::ByTyping;
    default:
        return CellEditing::Never;
    }
}

// The columns whose commits change zone values here (the Sample column renames files).
bool isValueColumn(int column) {
    return column >= static_cast<int>(ZoneColumn::Key) &&
           column <= static_cast<int>(ZoneColumn::Volume);
}

} // namespace

QFont zoneRowFont() {
    return tahoma(11);
}
QFont zoneHeaderFont() {
    return tahoma(9);
}

ZoneListPanel::ZoneListPanel(KitDocument& kit, EditPath& edits, KitHost& report, QWidget* parent,
                             Hooks hooks)
    : QObject(parent), kit_(kit), edits_(edits), report_(report), hooks_(std::move(hooks)),
      model_(new ZoneTableModel(kit, this)), view_(new CellTableView(parent)) {
    model_->setRowIcon(sharpIcon(QStringLiteral(":/padsmith/zone.png")));

    // The look: white text on blue, grid lines, rounded corners, inert headers.
    view_->setShowGrid(true);
    view_->setFrameShape(QFrame::NoFrame);
    view_->setFont(zoneRowFont());
    view_->setIconSize(QSize(16, 16));
    view_->verticalHeader()->hide();
    view_->verticalHeader()->setDefaultSectionSize(QFontMetrics(zoneRowFont()).height() + 4);
    view_->setCornerRadius(3);
    QHeaderView* header = view_->horizontalHeader();
    header->setFont(zoneHeaderFont());
    header->setSectionsClickable(false);
    header->setSortIndicatorShown(false);
    header->setHighlightSections(false);
    header->setStretchLastSection(false);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // The model comes after the fonts: the header lays out its sections again for each font it
    // is given once it has them.
    view_->setModel(model_);
    for (int column = 0; column < kZoneColumnCount; ++column) {
        const ZoneColumnInfo& info = zoneColumns()[static_cast<std::size_t>(column)];
        view_->setColumnEditing(column, editingOf(info.editing));
        view_->setDefaultColumnWidth(column, info.width);
    }
    view_->setDragColumn(static_cast<int>(ZoneColumn::Sample));
    QPalette colours = view_->palette();
    colours.setColor(QPalette::Text, kText);
    colours.setColor(QPalette::WindowText, kText);
    view_->setPalette(colours);
    view_->setBackgroundColour(kBackground);

    view_->setCommitCheck([this](int /*row*/, int column, const QString& text) {
        return acceptCellText(column, text);
    });
    connect(view_, &CellTableView::cellEdited, this, &ZoneListPanel::commitCell);
    connect(view_, &CellTableView::rowsDropped, this, &ZoneListPanel::moveRows);
    connect(view_, &QAbstractItemView::clicked, this,
            [this](const QModelIndex& cell) { clicked(cell.row(), cell.column()); });
    connect(view_, &QAbstractItemView::doubleClicked, this,
            [this](const QModelIndex& cell) { doubleClicked(cell.column()); });
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

bool ZoneListPanel::ownsFocus() const {
    const QWidget* editor = view_->cellEditor();
    return view_->hasFocus() || (editor != nullptr && editor->hasFocus());
}

void ZoneListPanel::showPadZones() {
    // A row shown takes the pad number of the pad it is listed under, and the reserved fields
    // are kept at 0.
    if (kit_.currentPad >= 0 && kit_.currentPad < kPadCount) {
        settleZones(kit_.current(), kit_.currentPad);
    }
    model_->showPad();
}

void ZoneListPanel::showZoneRow(int row) {
    if (row < 0 || row >= rowCount()) {
        return;
    }
    SampleZone& zone = kit_.current().at(static_cast<std::size_t>(row));
    zone.padNumber = kit_.currentPad + 1;
    zone.reserved1 = 0;
    zone.reserved2 = 0;
    model_->showRows(row, row);
}

void ZoneListPanel::selectRow(int row) {
    if (row < 0 || row >= rowCount()) {
        view_->clearSelection();
        return;
    }
    view_->selectOnlyRow(row, 0, true);
}

void ZoneListPanel::selectRows(const QList<int>& rows) {
    if (rows.isEmpty() || rows.first() < 0 || rows.first() >= rowCount()) {
        return;
    }
    view_->selectOnlyRow(rows.first(), 0, true);
    for (const int row : rows) {
        if (row >= 0 && row < rowCount()) {
            view_->selectionModel()->select(model_->index(row, 0), QItemSelectionModel::Select |
                                                                       QItemSelectionModel::Rows);
        }
    }
}

int ZoneListPanel::currentRow() const {
    return view_->currentRow();
}

QList<int> ZoneListPanel::selectedRows() const {
    return view_->selectedRowNumbers();
}

int ZoneListPanel::rowCount() const {
    return model_->rowCount();
}

void ZoneListPanel::playZone() {
    const QList<int> selected = selectedRows();
    int row = currentRow();
    if (!selected.contains(row)) {
        row = selected.isEmpty() ? -1 : selected.first();
    }
    const Pad& pad = kit_.current();
    if (row < 0 || static_cast<std::size_t>(row) >= pad.size() || !hooks_.preview) {
        return;
    }
    hooks_.preview(pad.at(static_cast<std::size_t>(row)));
}

bool ZoneListPanel::acceptCellText(int column, const QString& text) {
    if (!isValueColumn(column)) {
        return true;
    }
    const std::string refusal = cellTextRefusal(static_cast<ZoneColumn>(column), toStd(text));
    if (refusal.empty()) {
        return true;
    }
    // The message is about the text in the editor, which stays open holding it.
    const EditorHold hold(view_->cellEditor());
    report_.showMessage(MessageIcon::Warning, refusal);
    return false;
}

bool ZoneListPanel::commitOpenEdit() {
    commandCommit_ = true;
    const bool ended = view_->commitEdit();
    commandCommit_ = false;
    return ended;
}

void ZoneListPanel::commitCell(int row, int column, const QString& text) {
    if (column == static_cast<int>(ZoneColumn::Sample)) {
        emit sampleNameCommitted(row, text);
        return;
    }
    // A commit that arrives after the list lost the focus (to another window) is dropped; one
    // that a command asked for is not.
    if (!isValueColumn(column) || (!view_->hasFocus() && !commandCommit_) || text.isEmpty()) {
        return;
    }
    // With Ctrl held the text goes to every zone of the pad (not when Ctrl is held for a
    // command's shortcut).
    if (!commandCommit_ && QGuiApplication::keyboardModifiers().testFlag(Qt::ControlModifier)) {
        view_->selectAll();
    }
    // The row the user typed into takes the value, selected or not.
    QList<int> rows = selectedRows();
    if (row >= 0 && row < rowCount() && !rows.contains(row)) {
        rows.append(row);
    }
    const int pad = kit_.currentPad;
    const CellCommit commit =
        padsmith::commitCell(kit_, pad, {rows.begin(), rows.end()}, static_cast<ZoneColumn>(column),
                             toStd(text), &report_);
    edits_.apply(commit.edit);
    if (commit.refusedRow) {
        // The check showed the other pad's zone; the list takes the focus back.
        view_->setFocus(Qt::OtherFocusReason);
    }
}

void ZoneListPanel::spreadVelocities() {
    edits_.apply(padsmith::spreadVelocities(kit_, kit_.currentPad));
}

void ZoneListPanel::moveRows(const QList<int>& rows, int target, bool copy) {
    emit rowsDropped(rows, target, copy);
}

void ZoneListPanel::clicked(int row, int column) {
    playZone();
    // A Ctrl click that took the row out of the selection puts it back, alone.
    if (row >= 0 && isValueColumn(column) && !selectedRows().contains(row)) {
        view_->selectOnlyRow(row, 0, true);
    }
}

void ZoneListPanel::doubleClicked(int column) {
    // A double click on a Sample cell is the window's import command.
    if (isValueColumn(column)) {
        view_->beginEdit();
    }
}

void ZoneListPanel::navigate() {
    // Holding a key moves the cursor without playing every step; Left and Right only move
    // between the columns.
    const int key = hooks_.commandKey ? hooks_.commandKey() : 0;
    const bool repeating = hooks_.keyRepeating && hooks_.keyRepeating();
    if (!repeating && key != Qt::Key_Left && key != Qt::Key_Right) {
        playZone();
    }
}

void ZoneListPanel::run(CommandId id, int /*index*/) {
    switch (id) {
    case CommandId::Navigate:
        navigate();
        return;
    case CommandId::Rename:
        view_->beginEdit();
        return;
    case CommandId::SelectAll:
        view_->selectAll();
        return;
    case CommandId::SpreadVelocities:
        spreadVelocities();
        return;
    default:
        return;
    }
}

void ZoneListPanel::describe(CommandContext& context) const {
    context.zoneRows = rowCount();
    context.zoneRowCurrent = currentRow() >= 0;
}

} // namespace padsmith
