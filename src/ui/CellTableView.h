// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QPersistentModelIndex>
#include <QTableView>
#include <QTimer>
#include <QVector>
#include <functional>

namespace padsmith {

class CellEditDelegate;

// Milliseconds between two auto-scroll steps of a row drag.
inline constexpr int kDragScrollMilliseconds = 50;

// How the cells of a column are edited.
enum class CellEditing {
    Never,
    OnRequest, // F2, a slow second click, or beginEdit()
    ByTyping,  // also by typing a character into the current cell
};

// A table that works like a small spreadsheet over any model. A cell cursor (the current row
// and column) moves with the arrow keys and stops at the edges; whole rows are selected, but
// while the table has the focus only the current column of the selected rows is highlighted.
// A cell is edited in place by F2, a slow second click, or by typing into it; Enter or (after
// typing) an arrow ends the edit with a commit and moves on, Escape or leaving the box ends it
// without one. The table stores nothing itself: commits are reported by cellEdited, and rows
// dragged with the mouse by rowsDropped.
class CellTableView : public QTableView {
    Q_OBJECT
public:
    explicit CellTableView(QWidget* parent = nullptr);

    // Column settings, by column number. Columns not set are never edited.
    void setColumnEditing(int column, CellEditing editing);
    CellEditing columnEditing(int column) const;
    // Only digits may be typed into the column's editor.
    void setDigitsOnly(int column, bool digitsOnly);
    bool digitsOnly(int column) const;
    // Gives the column this width now and again on Ctrl + the keypad's minus.
    void setDefaultColumnWidth(int column, int width);
    void restoreColumnWidths();

    int currentRow() const;
    int currentColumn() const;
    // Moves the cell cursor without touching the selection.
    void setCurrentCell(int row, int column);
    // Makes `row` the only selected row and the current one; scrolls it to the middle of the
    // view (`centre`) or only into view. `column` >= 0 becomes the current column.
    void selectOnlyRow(int row, int column, bool centre);
    // The selected rows, in ascending order.
    QList<int> selectedRowNumbers() const;

    // Rows are dragged only by a press in this column (-1: no dragging).
    void setDragColumn(int column) { dragColumn_ = column; }
    bool isDraggingRows() const { return drag_.active; }

    bool isEditing() const;
    // The open editor's text field, or nullptr.
    QWidget* cellEditor() const;

    // Asked before an edit ends with a commit: false keeps the editor open with its text (the
    // check tells the user why, under an EditorHold).
    using CommitCheck = std::function<bool(int row, int column, const QString& text)>;
    void setCommitCheck(CommitCheck check) { commitCheck_ = std::move(check); }
    // Ends an open edit with a commit, as Enter does but without moving the cursor. True when
    // no editor is open any more; false when the check refused the text and the editor stays.
    bool commitEdit();

    // The list's ground colour.
    void setBackgroundColour(const QColor& colour);
    QColor backgroundColour() const;
    // Rounds the table's corners (0: square).
    void setCornerRadius(int radius);

public slots:
    // Edits the current cell with the model's edit text, all of it selected. Nothing happens
    // without a current row, or in a column that is never edited.
    void beginEdit();
    // Closes an open editor without a commit.
    void cancelEdit();

signals:
    // An edit ended with a commit of non-empty `text` (the model is not written).
    void cellEdited(int row, int column, const QString& text);
    // Rows dragged onto `target` (now the current row); `copy` when Control was held.
    void rowsDropped(const QList<int>& rows, int target, bool copy);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void keyboardSearch(const QString& search) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

private:
    friend class CellEditDelegate;

    struct DragState {
        bool active = false;
        QList<int> rows;    // the dragged rows, ascending
        int anchorRow = -1; // the row the drag started on
        int target = -1;    // the row under the cursor, -1 for none
        bool copy = false;  // Control held
        int scrollStep = 0; // pixels per auto-scroll tick: negative up, positive down
    };

    // Moves the cell cursor as an arrow key (or Enter, as Down) does; false at an edge.
    bool moveCursorBy(int key, Qt::KeyboardModifiers modifiers);
    bool openEditor(const QString* typed);
    // The delegate's editor ended with a commit by `key` (Enter or an arrow).
    void editorCommitted(int key, const QString& text);
    bool acceptsCommit(const QString& text) const;
    void slowClickElapsed();
    bool highlightsCurrentColumnOnly() const;
    void updateMask();

    void startRowDrag(const QPoint& position);
    void moveRowDrag(const QPoint& position);
    void finishRowDrag(bool drop, bool copy);
    void autoScrollTick();
    void updateDragCursor();

    CellEditDelegate* delegate_;
    QVector<CellEditing> editing_;
    QVector<bool> digitsOnly_;
    QVector<int> defaultWidths_;
    int column_ = 0; // the current column, kept while no row is current
    int cornerRadius_ = 0;

    QPersistentModelIndex editIndex_;
    CommitCheck commitCheck_;
    QPersistentModelIndex previousCell_; // the cell of the last click or cursor move
    bool secondClick_ = false;
    bool doubleClickArrived_ = false;
    bool marquee_ = false; // the press went on to select rows by dragging
    QTimer slowClick_;

    int dragColumn_ = 0;
    QPersistentModelIndex pressIndex_;
    QPoint pressPosition_;
    bool deferredSelect_ = false; // a press on a selected row selects it alone at release
    DragState drag_;
    QTimer autoScroll_;
};

} // namespace padsmith
