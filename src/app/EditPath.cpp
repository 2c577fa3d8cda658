// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/EditPath.h"

#include "app/Text.h"

#include <QUndoCommand>
#include <utility>

namespace padsmith {

// One undo step: the edit and its inverse.
class EditPath::Step : public QUndoCommand {
public:
    Step(EditPath& path, KitEdit edit, FileSide files)
        : QUndoCommand(fromStd(edit.name)), path_(path), edit_(std::move(edit)),
          inverse_(inverseOf(edit_)), files_(std::move(files)) {}

    void redo() override {
        if (!firstApply_ && files_.redo) {
            files_.redo();
        }
        firstApply_ = false;
        path_.applyToKit(edit_);
    }
    void undo() override {
        if (files_.undo) {
            files_.undo();
        }
        path_.applyToKit(inverse_);
    }

    void follow(const std::map<std::string, std::string>& moved) {
        padsmith::followMovedSources(edit_, moved);
        padsmith::followMovedSources(inverse_, moved);
    }

private:
    EditPath& path_;
    KitEdit edit_;
    KitEdit inverse_;
    FileSide files_;
    bool firstApply_ = true;
};

EditPath::EditPath(KitDocument& kit, QObject* parent) : QObject(parent), kit_(kit) {}

void EditPath::apply(KitEdit edit) {
    apply(std::move(edit), {});
}

void EditPath::apply(KitEdit edit, FileSide files) {
    if (edit.empty()) {
        return;
    }
    stack_.push(new Step(*this, std::move(edit), std::move(files)));
    reportChanges();
}

void EditPath::followMovedSources(const std::map<std::string, std::string>& moved) {
    for (int i = 0; i < stack_.count(); ++i) {
        // Every command on the stack is a Step: apply() pushes nothing else.
        if (auto* step = const_cast<Step*>(static_cast<const Step*>(stack_.command(i)))) {
            step->follow(moved);
        }
    }
}

void EditPath::undo() {
    if (!stack_.canUndo()) {
        return;
    }
    stack_.undo();
    reportChanges();
    showStep();
}

void EditPath::redo() {
    if (!stack_.canRedo()) {
        return;
    }
    stack_.redo();
    reportChanges();
    showStep();
}

void EditPath::showStep() {
    if (lastPlace_.pad >= 0) {
        emit stepShown(lastPlace_.pad, QList<int>(lastPlace_.rows.begin(), lastPlace_.rows.end()));
    }
}

void EditPath::applyToKit(const KitEdit& edit) {
    lastPlace_ = placeOf(edit, kit_.currentPad);
    applyEdit(kit_, edit);
    for (const PadChange& change : edit.changes) {
        if (!changed_.contains(change.pad)) {
            changed_.append(change.pad);
        }
    }
}

void EditPath::reportChanges() {
    if (!changed_.isEmpty()) {
        emit padsChanged(std::exchange(changed_, {}));
    }
}

} // namespace padsmith
