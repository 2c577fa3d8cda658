#include "app/EditPath.h"

#include "app/Text.h"

#include <QUndoCommand>
#include <utility>

namespace padsmith {

// One undo step: the edit and its inverse.
class EditPath::Step : public QUndoCommand {
public:
    Step(EditPath& path, KitEdit edit)
        : QUndoCommand(fromStd(edit.name)), path_(path), edit_(std::move(edit)),
          inverse_(inverseOf(edit_)) {}

    void redo() override { path_.applyToKit(edit_); }
    void undo() override { path_.applyToKit(inverse_); }

private:
    EditPath& path_;
    KitEdit edit_;
    KitEdit inverse_;
};

EditPath::EditPath(KitDocument& kit, QObject* parent) : QObject(parent), kit_(kit) {}

void EditPath::apply(KitEdit edit) {
    if (edit.empty()) {
        return;
    }
    stack_.push(new Step(*this, std::move(edit)));
    reportChanges();
}

void EditPath::undo() {
    stack_.undo();
    reportChanges();
}

void EditPath::redo() {
    stack_.redo();
    reportChanges();
}

void EditPath::applyToKit(const KitEdit& edit) {
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
