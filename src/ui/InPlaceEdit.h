// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLineEdit>
#include <QPointer>

namespace padsmith {

// An edit box laid over another control for a short text (a pad's name): Enter ends it with
// the text, Escape or the focus going anywhere else ends it without. Either way the box hides
// and the focus goes back to the control that had it before.
class InPlaceEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit InPlaceEdit(QWidget* over);

    // Shows the box over its parent holding `text`, all selected, with the focus; the focus
    // goes back to `returnFocusTo` when editing ends.
    void start(const QString& text, QWidget* returnFocusTo);
    bool editing() const { return editing_; }
    // Ends an open edit as Enter does.
    void commit() { finish(true); }

signals:
    // Enter was pressed; `text` may be empty.
    void committed(const QString& text);
    void cancelled();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void finish(bool commit);

    QPointer<QWidget> returnFocusTo_;
    bool editing_ = false;
};

} // namespace padsmith
