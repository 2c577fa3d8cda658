// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/CellTableView.h"

#include "ui/CellEditDelegate.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainterPath>
#include <algorithm>
#include <utility>

namespace padsmith {

namespace {

bool isArrow(int key) {
    return key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Up || key == Qt::Key_Down;
}

} // namespace

CellTableView::CellTableView(QWidget* parent)
    : QTableView(parent), delegate_(new CellEditDelegate(this)) {
    setItemDelegate(delegate_);
    setEditTriggers(NoEditTriggers);
    setSelectionBehavior(SelectRows);
    setSelectionMode(ExtendedSelection);
    setTabKeyNavigation(false);
    setWordWrap(false);
    setVerticalScrollMode(ScrollPerPixel);
    setHorizontalScrollMode(ScrollPerPixel);

    slowClick_.setSingleShot(true);
    connect(&slowClick_, &QTimer::timeout, this, &CellTableView::slowClickElapsed);
    autoScroll_.setInterval(kDragScrollMilliseconds);
    connect(&autoScroll_, &QTimer::timeout, this, &CellTableView::autoScrollTick);
    connect(delegate_, &CellEditDelegate::committed, this, &CellTableView::editorCommitted);
}

void CellTableView::setColumnEditing(int column, CellEditing editing) {
    if (column < 0) {
        return;
    }
    if (editing_.size() <= column) {
        editing_.resize(column + 1, CellEditing::Never);
    }
    editing_[column] = editing;
}

CellEditing CellTableView::columnEditing(int column) const {
    return column >= 0 && column < editing_.size() ? editing_[column] : CellEditing::Never;
}

void CellTableView::setDigitsOnly(int column, bool digitsOnly) {
    if (column < 0) {
        return;
    }
    if (digitsOnly_.size() <= column) {
        digitsOnly_.resize(column + 1, false);
    }
    digitsOnly_[column] = digitsOnly;
}

bool CellTableView::digitsOnly(int column) const {
    return column >= 0 && column < digitsOnly_.size() && digitsOnly_[column];
}

void CellTableView::setDefaultColumnWidth(int column, int width) {
    if (column < 0) {
        return;
    }
    if (defaultWidths_.size() <= column) {
        defaultWidths_.resize(column + 1, 0);
    }
    defaultWidths_[column] = width;
    setColumnWidth(column, width);
}

void CellTableView::restoreColumnWidths() {
    for (int column = 0; column < defaultWidths_.size(); ++column) {
        if (defaultWidths_[column] > 0) {
            setColumnWidth(column, defaultWidths_[column]);
        }
    }
}

int CellTableView::currentRow() const {
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() : -1;
}

int CellTableView::currentColumn() const {
    return column_;
}

void CellTableView::setCurrentCell(int row, int column) {
    if (model() == nullptr) {
        return;
    }
    const QModelIndex cell = model()->index(row, column, rootIndex());
    if (cell.isValid()) {
        selectionModel()->setCurrentIndex(cell, QItemSelectionModel::NoUpdate);
    }
    column_ = std::max(column, 0);
    viewport()->update();
}

void CellTableView::selectOnlyRow(int row, int column, bool centre) {
    if (model() == nullptr || row < 0 || row >= model()->rowCount(rootIndex())) {
        return;
    }
    if (column >= 0) {
        column_ = column;
    }
    const QModelIndex cell = model()->index(row, column_, rootIndex());
    selectionModel()->setCurrentIndex(cell, QItemSelectionModel::ClearAndSelect |
                                                QItemSelectionModel::Rows);
    scrollTo(cell, centre ? PositionAtCenter : EnsureVisible);
    viewport()->update();
}

QList<int> CellTableView::selectedRowNumbers() const {
    QList<int> rows;
    if (selectionModel() == nullptr) {
        return rows;
    }
    for (const QModelIndex& index : selectionModel()->selectedRows()) {
        rows.append(index.row());
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

bool CellTableView::isEditing() const {
    return delegate_->editor() != nullptr;
}

QWidget* CellTableView::cellEditor() const {
    return delegate_->editor();
}

void CellTableView::setBackgroundColour(const QColor& colour) {
    QPalette colours = palette();
    colours.setColor(QPalette::Base, colour);
    colours.setColor(QPalette::AlternateBase, colour);
    colours.setColor(QPalette::Window, colour);
    setPalette(colours);
    viewport()->update();
}

QColor CellTableView::backgroundColour() const {
    return palette().color(QPalette::Base);
}

void CellTableView::setCornerRadius(int radius) {
    cornerRadius_ = radius;
    updateMask();
}

void CellTableView::beginEdit() {
    if (currentRow() < 0 || columnEditing(column_) == CellEditing::Never) {
        return;
    }
    openEditor(nullptr);
}

void CellTableView::cancelEdit() {
    if (QLineEdit* editor = delegate_->editor()) {
        closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
}

bool CellTableView::openEditor(const QString* typed) {
    const QModelIndex cell =
        model() != nullptr ? model()->index(currentRow(), column_, rootIndex()) : QModelIndex();
    if (!cell.isValid()) {
        return false;
    }
    cancelEdit();
    scrollTo(cell);
    delegate_->prepare(typed, digitsOnly(column_));
    editIndex_ = cell;
    if (!edit(cell, AllEditTriggers, nullptr)) {
        return false;
    }
    // The view selects an editor's whole text; a typed character keeps the caret after it.
    if (QLineEdit* editor = delegate_->editor(); editor != nullptr && typed != nullptr) {
        editor->deselect();
        editor->end(false);
    }
    return true;
}

bool CellTableView::commitEdit() {
    QLineEdit* editor = delegate_->editor();
    if (editor == nullptr) {
        return true;
    }
    const QString text = editor->text();
    const QModelIndex cell = editIndex_;
    if (!text.isEmpty() && !acceptsCommit(text)) {
        return false;
    }
    closeEditor(editor, QAbstractItemDelegate::NoHint);
    if (!text.isEmpty() && cell.isValid()) {
        emit cellEdited(cell.row(), cell.column(), text);
    }
    return true;
}

bool CellTableView::acceptsCommit(const QString& text) const {
    const QModelIndex cell = editIndex_;
    return !commitCheck_ || !cell.isValid() || commitCheck_(cell.row(), cell.column(), text);
}

void CellTableView::editorCommitted(int key, const QString& text) {
    const QModelIndex cell = editIndex_;
    if (cell.isValid()) {
        emit cellEdited(cell.row(), cell.column(), text);
    }
    // The key that ended the edit moves the cursor on: Enter down, an arrow its way.
    moveCursorBy(key == Qt::Key_Return ? Qt::Key_Down : key, Qt::NoModifier);
}

void CellTableView::slowClickElapsed() {
    if (!doubleClickArrived_) {
        beginEdit();
    }
}

bool CellTableView::highlightsCurrentColumnOnly() const {
    const QWidget* editor = delegate_->editor();
    return hasFocus() || (editor != nullptr && editor->hasFocus());
}

bool CellTableView::moveCursorBy(int key, Qt::KeyboardModifiers modifiers) {
    const int rows = model() != nullptr ? model()->rowCount(rootIndex()) : 0;
    const int columns = model() != nullptr ? model()->columnCount(rootIndex()) : 0;
    if (rows == 0 || columns == 0) {
        return false;
    }
    const int row = currentRow();
    const int column = std::clamp(column_, 0, columns - 1);
    int newRow = row;
    int newColumn = column;
    switch (key) {
    case Qt::Key_Left:
        --newColumn;
        break;
    case Qt::Key_Right:
        ++newColumn;
        break;
    case Qt::Key_Up:
        --newRow;
        break;
    default:
        ++newRow;
        break;
    }
    newRow = std::clamp(newRow, 0, rows - 1);
    newColumn = std::clamp(newColumn, 0, columns - 1);
    previousCell_ = model()->index(newRow, newColumn, rootIndex());
    if (newRow == row && newColumn == column) {
        return false; // at an edge
    }
    if (key == Qt::Key_Left || key == Qt::Key_Right) {
        setCurrentCell(newRow, newColumn);
        scrollTo(previousCell_);
    } else {
        // The table moves the row and its selection as it does for the arrow itself.
        column_ = newColumn;
        QKeyEvent arrow(QEvent::KeyPress, key == Qt::Key_Up ? Qt::Key_Up : Qt::Key_Down, modifiers);
        QTableView::keyPressEvent(&arrow);
    }
    return true;
}

void CellTableView::keyPressEvent(QKeyEvent* event) {
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    if (drag_.active) {
        drag_.copy = modifiers.testFlag(Qt::ControlModifier);
        updateDragCursor();
        return;
    }
    if (isEditing()) {
        return; // keys the editor passed on do not move the table under it
    }
    const int key = event->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        moveCursorBy(Qt::Key_Down, Qt::NoModifier);
        return;
    }
    if (key == Qt::Key_F2) {
        beginEdit();
        return;
    }
    if (key == Qt::Key_Minus && modifiers.testFlag(Qt::ControlModifier) &&
        modifiers.testFlag(Qt::KeypadModifier)) {
        restoreColumnWidths();
        return;
    }
    if (isArrow(key)) {
        moveCursorBy(key, modifiers & ~Qt::KeypadModifier);
        return;
    }
    // A character typed into a cell that takes typing opens its editor holding it; any other
    // character is swallowed (no search by typing).
    const QString text = event->text();
    const bool command =
        (modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) != 0;
    if (!text.isEmpty() && !command && text.at(0).isPrint() && !text.at(0).isSpace()) {
        if (columnEditing(column_) == CellEditing::ByTyping && currentRow() >= 0 &&
            (!digitsOnly(column_) || text.at(0).isDigit())) {
            const QString typed = text.left(1);
            openEditor(&typed);
        }
        return;
    }
    QTableView::keyPressEvent(event);
}

void CellTableView::keyReleaseEvent(QKeyEvent* event) {
    if (drag_.active) {
        drag_.copy = event->modifiers().testFlag(Qt::ControlModifier);
        updateDragCursor();
        return;
    }
    QTableView::keyReleaseEvent(event);
}

void CellTableView::mousePressEvent(QMouseEvent* event) {
    if (drag_.active) {
        // A right press ends the drag as a release would.
        if (event->button() == Qt::RightButton) {
            finishRowDrag(true, event->modifiers().testFlag(Qt::ControlModifier));
        }
        return;
    }
    const QPoint position = event->position().toPoint();
    const QModelIndex cell = indexAt(position);
    if (event->button() == Qt::LeftButton || event->button() == Qt::RightButton) {
        secondClick_ = cell.isValid() && cell == previousCell_;
        previousCell_ = cell;
        doubleClickArrived_ = false;
        marquee_ = false;
    }
    pressIndex_ = event->button() == Qt::LeftButton ? cell : QModelIndex();
    pressPosition_ = position;

    // A plain press on one of several selected rows, where a drag may start, keeps them
    // selected until the release.
    const QItemSelection selected =
        selectionModel() != nullptr ? selectionModel()->selection() : QItemSelection();
    deferredSelect_ =
        event->button() == Qt::LeftButton && cell.isValid() && cell.column() == dragColumn_ &&
        (event->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier)) == 0 &&
        selectionModel()->isRowSelected(cell.row(), rootIndex()) && selectedRowNumbers().size() > 1;
    QTableView::mousePressEvent(event);
    if (deferredSelect_) {
        selectionModel()->select(selected, QItemSelectionModel::ClearAndSelect);
    }
    if (cell.isValid()) {
        column_ = cell.column();
        viewport()->update();
    }
}

void CellTableView::mouseMoveEvent(QMouseEvent* event) {
    const QPoint position = event->position().toPoint();
    if (drag_.active) {
        moveRowDrag(position);
        return;
    }
    const bool leftHeld = event->buttons().testFlag(Qt::LeftButton);
    if (leftHeld && pressIndex_.isValid() && pressIndex_.column() == dragColumn_) {
        if ((position - pressPosition_).manhattanLength() >= QApplication::startDragDistance()) {
            startRowDrag(position);
        }
        return;
    }
    if (leftHeld && pressIndex_.isValid() && indexAt(position) != pressIndex_) {
        marquee_ = true;
    }
    QTableView::mouseMoveEvent(event);
}

void CellTableView::mouseReleaseEvent(QMouseEvent* event) {
    if (drag_.active) {
        if (event->button() == Qt::LeftButton) {
            finishRowDrag(true, event->modifiers().testFlag(Qt::ControlModifier));
        }
        return;
    }
    const QModelIndex cell = indexAt(event->position().toPoint());
    if (std::exchange(deferredSelect_, false) && cell.isValid()) {
        selectionModel()->select(cell,
                                 QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
    QTableView::mouseReleaseEvent(event);
    // A slow second click on the same cell edits it, once the time for a double click is over.
    const bool plain = (event->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier)) == 0;
    if (event->button() == Qt::LeftButton && secondClick_ && !marquee_ && plain && cell.isValid() &&
        cell == pressIndex_ && columnEditing(cell.column()) != CellEditing::Never) {
        slowClick_.start(QApplication::doubleClickInterval());
    }
    marquee_ = false;
}

void CellTableView::mouseDoubleClickEvent(QMouseEvent* event) {
    doubleClickArrived_ = true;
    secondClick_ = false;
    slowClick_.stop();
    QTableView::mouseDoubleClickEvent(event);
}

void CellTableView::wheelEvent(QWheelEvent* event) {
    if (drag_.active) {
        finishRowDrag(true, event->modifiers().testFlag(Qt::ControlModifier));
        return;
    }
    QTableView::wheelEvent(event);
}

void CellTableView::focusInEvent(QFocusEvent* event) {
    QTableView::focusInEvent(event);
    viewport()->update();
}

void CellTableView::focusOutEvent(QFocusEvent* event) {
    QTableView::focusOutEvent(event);
    const QWidget* now = QApplication::focusWidget();
    if (now == nullptr || now != delegate_->editor()) {
        // Focus elsewhere: the next click here is a first click, and a pending one edits nothing.
        previousCell_ = QModelIndex();
        slowClick_.stop();
    }
    viewport()->update();
}

void CellTableView::resizeEvent(QResizeEvent* event) {
    QTableView::resizeEvent(event);
    updateMask();
}

void CellTableView::updateMask() {
    if (cornerRadius_ <= 0) {
        clearMask();
        return;
    }
    QPainterPath outline;
    outline.addRoundedRect(QRectF(rect()), cornerRadius_, cornerRadius_);
    setMask(QRegion(outline.toFillPolygon().toPolygon()));
}

void CellTableView::scrollContentsBy(int dx, int dy) {
    // The editor belongs to the cell where it opened: scrolling ends it, uncommitted.
    cancelEdit();
    QTableView::scrollContentsBy(dx, dy);
}

void CellTableView::keyboardSearch(const QString& /*search*/) {}

void CellTableView::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTableView::currentChanged(current, previous);
    if (current.isValid()) {
        column_ = current.column();
    }
    viewport()->update();
}

} // namespace padsmith
