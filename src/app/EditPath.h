// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "kit/KitEdit.h"

#include <QList>
#include <QObject>
#include <QUndoStack>
#include <functional>

namespace padsmith {

// The one way the window changes the kit's pads and zones: every user action becomes a
// KitEdit, applied here as one undo step. After each apply, undo or redo, padsChanged names
// the pads touched so the window can show them again and recompute the modified mark.
class EditPath : public QObject {
    Q_OBJECT
public:
    EditPath(KitDocument& kit, QObject* parent = nullptr);

    // Applies `edit` and makes it one undo step. An empty edit is ignored. The kit may
    // already hold the edit's result (built with KitEditRecorder): applying it again is
    // harmless.
    void apply(KitEdit edit);
    // What an edit did outside the kit (files it renamed): taken back with an undo and done
    // again with a redo, before the kit changes. The first apply finds it done already.
    struct FileSide {
        std::function<void()> undo;
        std::function<void()> redo;
    };
    void apply(KitEdit edit, FileSide files);
    void undo();
    void redo();
    bool canUndo() const { return stack_.canUndo(); }
    bool canRedo() const { return stack_.canRedo(); }
    // The names of the edits that undo and redo would take back or do again.
    QString undoName() const { return stack_.undoText(); }
    QString redoName() const { return stack_.redoText(); }
    // A save moved the content of these sources: every step follows (see followMovedSources).
    void followMovedSources(const std::map<std::string, std::string>& moved);
    // Forgets every step: the kit was replaced (New, Open, Revert).
    void clear() { stack_.clear(); }

signals:
    void padsChanged(const QList<int>& pads);
    // After an undo or redo (and padsChanged): where the step changed the kit, so the window
    // can show that pad with those rows selected.
    void stepShown(int pad, const QList<int>& rows);

private:
    class Step;
    void applyToKit(const KitEdit& edit);
    // Reports the pads changed, once the stack has moved (so canUndo() is up to date).
    void reportChanges();
    void showStep();

    KitDocument& kit_;
    QUndoStack stack_;
    QList<int> changed_;
    EditPlace lastPlace_; // of the edit last applied to the kit
};

} // namespace padsmith
