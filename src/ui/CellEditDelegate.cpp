// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/CellEditDelegate.h"

#include "ui/CellTableView.h"
#include "ui/EditorHold.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QRegularExpressionValidator>

namespace padsmith {

namespace {

// Editor properties: filled once from the model or the typed character; arrows commit.
constexpr const char* kFilled = "cellFilled";
constexpr const char* kArrowsCommit = "cellArrowsCommit";

bool isArrow(int key) {
    return key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Up || key == Qt::Key_Down;
}

} // namespace

CellEditDelegate::CellEditDelegate(CellTableView* view) : QStyledItemDelegate(view), view_(view) {}

void CellEditDelegate::prepare(const QString* typed, bool digitsOnly) {
    typedPending_ = typed != nullptr;
    typed_ = typed != nullptr ? *typed : QString();
    digitsOnly_ = digitsOnly;
}

QWidget* CellEditDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& /*option*/,
                                        const QModelIndex& /*index*/) const {
    auto* line = new QLineEdit(parent);
    line->setMaxLength(kMaxLength);
    line->setFont(view_->font());
    // An ordinary text box, whatever colours the table has: the roles are set one by one, as
    // a palette taken whole would still inherit the table's.
    const QPalette standard = QApplication::palette(line);
    QPalette colours = line->palette();
    for (const auto role : {QPalette::Base, QPalette::Text, QPalette::Window, QPalette::WindowText,
                            QPalette::Highlight, QPalette::HighlightedText}) {
        colours.setBrush(role, standard.brush(role));
    }
    line->setPalette(colours);
    if (digitsOnly_) {
        line->setValidator(
            new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), line));
    }
    editor_ = line;
    return line;
}

void CellEditDelegate::destroyEditor(QWidget* editor, const QModelIndex& index) const {
    if (editor == editor_) {
        editor_ = nullptr;
    }
    QStyledItemDelegate::destroyEditor(editor, index);
}

void CellEditDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
    auto* line = qobject_cast<QLineEdit*>(editor);
    // The view fills an open editor again when the model changes; what is typed stays.
    if (line == nullptr || line->property(kFilled).toBool()) {
        return;
    }
    line->setProperty(kFilled, true);
    if (typedPending_) {
        line->setText(typed_);
        line->setCursorPosition(static_cast<int>(line->text().size()));
        line->setProperty(kArrowsCommit, true);
    } else {
        line->setText(index.data(Qt::EditRole).toString());
        line->setSelection(0, std::min(100, static_cast<int>(line->text().size())));
    }
}

void CellEditDelegate::setModelData(QWidget* /*editor*/, QAbstractItemModel* /*model*/,
                                    const QModelIndex& /*index*/) const {
    // Commits are reported by the view (cellEdited); the owner decides what they change.
}

void CellEditDelegate::updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                                            const QModelIndex& /*index*/) const {
    QRect place = option.rect;
    place.setRight(std::min(place.right(), view_->viewport()->rect().right()));
    editor->setGeometry(place);
}

bool CellEditDelegate::highlightRemoved(const QStyleOptionViewItem& option,
                                        const QModelIndex& index) const {
    return (option.state & QStyle::State_Selected) != 0 && view_->highlightsCurrentColumnOnly() &&
           index.column() != view_->currentColumn();
}

void CellEditDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
    // The table has already filled the selected row's cells with the highlight.
    if (highlightRemoved(option, index)) {
        painter->fillRect(option.rect, option.palette.brush(QPalette::Base));
    }
    QStyledItemDelegate::paint(painter, option, index);
}

void CellEditDelegate::initStyleOption(QStyleOptionViewItem* option,
                                       const QModelIndex& index) const {
    const bool removed = highlightRemoved(*option, index);
    QStyledItemDelegate::initStyleOption(option, index);
    if (removed) {
        option->state &= ~QStyle::State_Selected;
    }
}

bool CellEditDelegate::eventFilter(QObject* watched, QEvent* event) {
    auto* line = qobject_cast<QLineEdit*>(watched);
    if (line == nullptr) {
        return QStyledItemDelegate::eventFilter(watched, event);
    }
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            finish(line, Qt::Key_Return);
            return true;
        }
        if (key == Qt::Key_Escape) {
            emit closeEditor(line, NoHint);
            return true;
        }
        if (isArrow(key) && line->property(kArrowsCommit).toBool()) {
            finish(line, key);
            return true;
        }
        // One line: Up and Down have nothing to move, and must not move the table either.
        return key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_PageUp ||
               key == Qt::Key_PageDown;
    }
    if (event->type() == QEvent::FocusOut) {
        const auto* focus = static_cast<QFocusEvent*>(event);
        const QWidget* now = QApplication::focusWidget();
        // The box's own popup menu, or a message about its text, keeps it open; anything else
        // ends the edit, uncommitted.
        if (focus->reason() != Qt::PopupFocusReason && !editorHeld(line) &&
            (now == nullptr || !line->isAncestorOf(now))) {
            emit closeEditor(line, NoHint);
        }
        return false;
    }
    return false;
}

void CellEditDelegate::finish(QLineEdit* line, int key) {
    const QString text = line->text();
    // A text the owner refuses stays in the open editor.
    if (!text.isEmpty() && !view_->acceptsCommit(text)) {
        return;
    }
    emit closeEditor(line, NoHint);
    if (!text.isEmpty()) {
        emit committed(key, text);
    }
}

} // namespace padsmith
