// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/Commands.h"
#include "kit/CodePage.h"
#include "kit/KitDocument.h"
#include "kit/PadEdits.h"
#include "ui/InPlaceEdit.h"

#include <QObject>
#include <QPointer>
#include <array>
#include <functional>
#include <string>

class QMenu;
class QWidget;

namespace padsmith {

class ClickLabel;
class DialogUnits;
class EditPath;
class PadButton;
class ZoneListPanel;

// The 18 pads of the window with their name labels: which pad is current, its marker,
// selection by mouse and keys, auditioning, the "PADPOP" popup and the pad commands that
// arrive while a pad has the focus.
class PadPanel : public QObject, public CommandRunner {
    Q_OBJECT
public:
    // What the panel needs from the window around it.
    struct Hooks {
        std::function<void(const std::string& path)> preview; // on the chosen output
        std::function<void()> animate;                        // the picture's animation, once
        // The key that gave the last navigation command (Qt::Key), and whether it repeats.
        std::function<int()> commandKey;
        std::function<bool()> keyRepeating;
        std::function<bool()> shareSamples;
        // The code page of the kit files: a pad name it cannot hold is refused as it is typed.
        std::function<CodePage()> codePage;
        // Ends the edits open anywhere in the window before a click takes a pad; false when
        // one refused its text and stays open.
        std::function<bool()> endOpenEdits;
    };

    PadPanel(KitDocument& kit, ZoneListPanel& zones, EditPath& edits, QWidget* client,
             const DialogUnits& units, Hooks hooks);

    PadButton* button(int pad) const;
    ClickLabel* label(int pad) const;
    bool hasFocus() const;
    void setContextMenu(QMenu* menu) { contextMenu_ = menu; }

    // Every label from the kit.
    void showLabels();
    // Marks the current pad: green, or blue while the zone list has the focus.
    void updateMarkers();
    // Lights `pad`'s button for a moment, as a note played on it (the focus stays where it is).
    void lightPad(int pad);

    // Makes `pad` (clamped to 0..17) current, gives its button the focus, and lists its zones
    // with row `zone` selected.
    void selectPad(int pad, int zone);
    // Auditions the current pad: the first zone whose velocity window reaches 90, else the last.
    void playPad();

    // A pad command (the current pad's button has the focus), or the rename of pad `index`
    // (a click on its name).
    void run(CommandId id, int index) override;

    // Opens the rename box over the label of `pad`, which becomes current. Enter names the
    // pad (an empty box changes nothing); Escape or a click elsewhere keeps the old name.
    void rename(int pad);
    InPlaceEdit* renameBox() const { return renameBox_; }
    // Ends an open rename as Enter does.
    void commitRename();

    const PadClipboard& clipboard() const { return clipboard_; }
    // The kit was replaced: nothing to paste, no rename going on.
    void kitReplaced();

signals:
    void labelClicked(int pad);
    void padFocused(int pad);

private:
    void keepNamesApart();
    void padTookFocus(int pad);
    void navigate();
    // Applies a pad edit.
    void applyPadEdit(const KitEdit& edit);

    KitDocument& kit_;
    ZoneListPanel& zones_;
    EditPath& edits_;
    Hooks hooks_;
    std::array<PadButton*, kPadCount> buttons_{};
    std::array<ClickLabel*, kPadCount> labels_{};
    QPointer<QMenu> contextMenu_;
    QPointer<InPlaceEdit> renameBox_;
    PadClipboard clipboard_;
};

} // namespace padsmith
