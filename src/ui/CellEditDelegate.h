// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLineEdit>
#include <QPointer>
#include <QStyledItemDelegate>

namespace padsmith {

class CellTableView;

// The in-place editor of a CellTableView: a line of at most 255 characters over the cell.
// Enter ends it with a commit; an editor opened by typing also commits on an arrow key;
// Escape and losing the focus end it without one. Commits are reported, never written to the
// model, and a cell is highlighted only in the table's current column.
class CellEditDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    static constexpr int kMaxLength = 255;

    explicit CellEditDelegate(CellTableView* view);

    // How the next editor opens: holding `typed` with the caret after it (arrow keys then
    // commit), or, for nullptr, holding the model's edit text, all of it selected.
    void prepare(const QString* typed, bool digitsOnly);
    // The open editor, or nullptr.
    QLineEdit* editor() const { return editor_; }

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void destroyEditor(QWidget* editor, const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override;
    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const override;

signals:
    // The editor closed with a commit of non-empty `text`, ended by `key` (Enter or an arrow).
    void committed(int key, const QString& text);

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool highlightRemoved(const QStyleOptionViewItem& option, const QModelIndex& index) const;
    void finish(QLineEdit* editor, int key);

    CellTableView* view_;
    mutable QPointer<QLineEdit> editor_;
    QString typed_;
    bool typedPending_ = false;
    bool digitsOnly_ = false;
};

} // namespace padsmith
