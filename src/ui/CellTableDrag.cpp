// SPDX-License-Identifier: GPL-3.0-or-later
// Row dragging of CellTableView: frames where the rows would land, auto-scrolling near the
// edges, Control for a copy, and the drop.
#include "ui/CellTableView.h"

#include <QGuiApplication>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>
#include <utility>

namespace padsmith {

namespace {

// Auto-scroll bands at the top and the bottom of the rows, and the pixels of one scroll step.
constexpr int kUpperBand = 33;
constexpr int kLowerBandInside = 14;
constexpr int kLowerBandOutside = 19;
constexpr int kScrollPixels = 14;
constexpr int kMaxFrames = 1000;

} // namespace

void CellTableView::paintEvent(QPaintEvent* event) {
    QTableView::paintEvent(event);
    if (!drag_.active || drag_.target < 0) {
        return;
    }
    // A frame for every dragged row, placed as the rows would lie if dropped here.
    QPainter painter(viewport());
    const QColor background = backgroundColour();
    const QColor frame(255 - background.red(), 255 - background.green(), 255 - background.blue());
    const int height = rowHeight(drag_.target);
    const int top = rowViewportPosition(drag_.target);
    const int width = viewport()->width();
    const int count = std::min(static_cast<int>(drag_.rows.size()), kMaxFrames);
    for (int i = 0; i < count; ++i) {
        const QRect row(0, top + (drag_.rows[i] - drag_.anchorRow) * height, width, height - 1);
        if (!row.intersects(event->rect())) {
            continue;
        }
        painter.fillRect(QRect(row.left(), row.top(), 3, row.height()), frame);
        painter.fillRect(QRect(row.right() - 2, row.top(), 3, row.height()), frame);
        painter.fillRect(QRect(row.left(), row.top(), row.width(), 1), frame);
        painter.fillRect(QRect(row.left(), row.bottom(), row.width(), 1), frame);
    }
}

void CellTableView::startRowDrag(const QPoint& position) {
    const QList<int> rows = selectedRowNumbers();
    if (rows.isEmpty() || column_ != dragColumn_) {
        pressIndex_ = QModelIndex();
        return;
    }
    deferredSelect_ = false;
    drag_ = DragState{};
    drag_.active = true;
    drag_.rows = rows;
    drag_.anchorRow = pressIndex_.row();
    drag_.copy = QGuiApplication::keyboardModifiers().testFlag(Qt::ControlModifier);
    moveRowDrag(position);
}

void CellTableView::moveRowDrag(const QPoint& position) {
    const int height = viewport()->height();
    int step = 0;
    if (position.y() < kUpperBand && verticalScrollBar()->value() > 0) {
        step = -kScrollPixels;
    } else if (position.y() >= height - kLowerBandInside &&
               position.y() < height + kLowerBandOutside &&
               verticalScrollBar()->value() < verticalScrollBar()->maximum()) {
        step = kScrollPixels;
    }
    drag_.scrollStep = step;
    if (step != 0) {
        drag_.target = -1;
        if (!autoScroll_.isActive()) {
            autoScroll_.start();
        }
    } else {
        autoScroll_.stop();
        const QModelIndex over =
            viewport()->rect().contains(position) ? indexAt(position) : QModelIndex();
        drag_.target = over.isValid() ? over.row() : -1;
        if (over.isValid()) {
            setCurrentCell(over.row(), dragColumn_);
        }
    }
    updateDragCursor();
    viewport()->update();
}

void CellTableView::autoScrollTick() {
    QScrollBar* bar = verticalScrollBar();
    if (!drag_.active || drag_.scrollStep == 0) {
        autoScroll_.stop();
        return;
    }
    bar->setValue(bar->value() + drag_.scrollStep);
    if (bar->value() == bar->minimum() || bar->value() == bar->maximum()) {
        autoScroll_.stop();
    }
}

void CellTableView::finishRowDrag(bool drop, bool copy) {
    autoScroll_.stop();
    const DragState done = std::exchange(drag_, DragState{});
    pressIndex_ = QModelIndex();
    viewport()->unsetCursor();
    viewport()->update();
    // Dropped outside the rows, or onto the row it started from: nothing moves.
    if (!drop || done.target < 0 || done.rows.isEmpty() || done.target == done.rows.first()) {
        return;
    }
    setCurrentCell(done.target, column_);
    emit rowsDropped(done.rows, done.target, copy);
}

void CellTableView::updateDragCursor() {
    if (!drag_.active) {
        return;
    }
    viewport()->setCursor(drag_.target < 0 ? Qt::ForbiddenCursor
                          : drag_.copy     ? Qt::DragCopyCursor
                                           : Qt::ArrowCursor);
}

} // namespace padsmith
