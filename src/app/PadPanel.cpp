// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/PadPanel.h"

#include "app/CodePageInput.h"
#include "app/Controls.h"
#include "app/DialogUnits.h"
#include "app/EditPath.h"
#include "app/Services.h"
#include "app/Text.h"
#include "app/ZoneListPanel.h"
#include "ui/InPlaceEdit.h"

#include <QMenu>
#include <algorithm>

namespace padsmith {

namespace {

// The controls carry the numbers of the window's dialog layout as their object names.
constexpr int kPadButtonFirstId = 1042;
constexpr int kPadLabelFirstId = 1061;
constexpr int kPadsPerRow = 9;

} // namespace

PadPanel::PadPanel(KitDocument& kit, ZoneListPanel& zones, EditPath& edits, QWidget* client,
                   const DialogUnits& units, Hooks hooks)
    : QObject(client), kit_(kit), zones_(zones), edits_(edits), hooks_(std::move(hooks)) {
    static constexpr std::array<int, kPadsPerRow> kUpperLabelX{5,   36,  69,  101, 133,
                                                               165, 197, 229, 261};
    static constexpr std::array<int, kPadsPerRow> kLowerLabelX{5,   37,  69,  101, 133,
                                                               165, 197, 229, 261};
    for (int pad = 0; pad < kPadCount; ++pad) {
        const int row = pad / kPadsPerRow;
        const int n = pad % kPadsPerRow;
        auto* button = new PadButton(pad, client);
        button->setObjectName(QString::number(kPadButtonFirstId + pad));
        button->move(units.x(10 + 32 * n), units.y(row == 0 ? 205 : 243));
        buttons_[static_cast<std::size_t>(pad)] = button;
        button->setStrikeGuard([this] { return !hooks_.endOpenEdits || hooks_.endOpenEdits(); });
        connect(button, &PadButton::focused, this, &PadPanel::padTookFocus);
        connect(button, &PadButton::struck, this, [this] { playPad(); });
        connect(button, &PadButton::menuRequested, this, [this](int, const QPoint& place) {
            if (contextMenu_ != nullptr) {
                contextMenu_->exec(place);
            }
        });

        const int labelX = (row == 0 ? kUpperLabelX : kLowerLabelX)[static_cast<std::size_t>(n)];
        auto* name = new ClickLabel(QStringLiteral("XXX"), client);
        name->setObjectName(QString::number(kPadLabelFirstId + pad));
        name->setGeometry(units.rect(labelX, row == 0 ? 230 : 268, 36, 9));
        name->setAlignment(Qt::AlignCenter);
        name->setElided(true);
        labels_[static_cast<std::size_t>(pad)] = name;
        connect(name, &ClickLabel::clicked, this, [this, pad] { emit labelClicked(pad); });
    }
}

PadButton* PadPanel::button(int pad) const {
    return pad >= 0 && pad < kPadCount ? buttons_[static_cast<std::size_t>(pad)] : nullptr;
}

ClickLabel* PadPanel::label(int pad) const {
    return pad >= 0 && pad < kPadCount ? labels_[static_cast<std::size_t>(pad)] : nullptr;
}

bool PadPanel::hasFocus() const {
    return std::any_of(buttons_.begin(), buttons_.end(),
                       [](const PadButton* button) { return button->hasFocus(); });
}

void PadPanel::showLabels() {
    for (int pad = 0; pad < kPadCount; ++pad) {
        labels_[static_cast<std::size_t>(pad)]->setText(
            fromStd(kit_.pads[static_cast<std::size_t>(pad)].label));
    }
    keepNamesApart();
    updateMarkers();
}

void PadPanel::keepNamesApart() {
    // The names are centred under their pads and wider than the distance between two: where
    // two neighbours' texts would meet, both are cut to that distance, less a gap.
    constexpr int kGap = 4;
    const int room = buttons_[1]->x() - buttons_[0]->x() - kGap;
    std::array<int, kPadCount> width{};
    for (int pad = 0; pad < kPadCount; ++pad) {
        const ClickLabel* name = labels_[static_cast<std::size_t>(pad)];
        width[static_cast<std::size_t>(pad)] = std::min(
            name->fontMetrics().horizontalAdvance(name->text()), name->contentsRect().width());
    }
    std::array<bool, kPadCount> cut{};
    for (int pad = 0; pad + 1 < kPadCount; ++pad) {
        const auto p = static_cast<std::size_t>(pad);
        if (pad % kPadsPerRow != kPadsPerRow - 1 && width[p] + width[p + 1] > 2 * room) {
            cut[p] = cut[p + 1] = true;
        }
    }
    for (int pad = 0; pad < kPadCount; ++pad) {
        const auto p = static_cast<std::size_t>(pad);
        labels_[p]->setElided(true, cut[p] ? room : 0);
    }
}

void PadPanel::updateMarkers() {
    const bool listFocused = zones_.ownsFocus();
    for (int pad = 0; pad < kPadCount; ++pad) {
        PadButton::Marker marker = PadButton::Marker::None;
        if (pad == kit_.currentPad) {
            marker = listFocused ? PadButton::Marker::ListFocus : PadButton::Marker::PadFocus;
        }
        buttons_[static_cast<std::size_t>(pad)]->setMarker(
            marker, !kit_.pads[static_cast<std::size_t>(pad)].empty());
    }
}

void PadPanel::lightPad(int pad) {
    constexpr int kLitMs = 150;
    if (pad >= 0 && pad < kPadCount) {
        buttons_[static_cast<std::size_t>(pad)]->light(kLitMs);
    }
}

void PadPanel::selectPad(int pad, int zone) {
    const int chosen = std::clamp(pad, 0, kPadCount - 1);
    padTookFocus(chosen);
    buttons_[static_cast<std::size_t>(chosen)]->setFocus(Qt::OtherFocusReason);
    zones_.selectRow(zone);
}

void PadPanel::padTookFocus(int pad) {
    kit_.currentPad = pad;
    zones_.showPadZones();
    // A pad taken by a click shows its first zone (and its waveform) until another is chosen.
    if (zones_.selectedRows().isEmpty() && !kit_.current().empty()) {
        zones_.selectRow(0);
    }
    updateMarkers();
    emit padFocused(pad);
}

void PadPanel::playPad() {
    const Pad& pad = kit_.current();
    const int row = auditionZone(pad);
    if (row < 0) {
        return;
    }
    // Taken before anything else runs: the preview must not reach into the pad afterwards.
    const std::string path = pad.at(static_cast<std::size_t>(row)).sourcePath;
    if (hooks_.animate) {
        hooks_.animate();
    }
    zones_.selectRow(row);
    if (hooks_.preview) {
        hooks_.preview(path);
    }
}

void PadPanel::navigate() {
    const int key = hooks_.commandKey ? hooks_.commandKey() : 0;
    const int pad = kit_.currentPad;
    int next = pad;
    switch (key) {
    case Qt::Key_Left:
        next = pad == 0 ? kPadCount - 1 : pad - 1;
        break;
    case Qt::Key_Right:
        next = pad == kPadCount - 1 ? 0 : pad + 1;
        break;
    case Qt::Key_Down:
        next = pad < kPadsPerRow ? pad + kPadsPerRow : pad;
        break;
    case Qt::Key_Up:
        next = pad >= kPadsPerRow ? pad - kPadsPerRow : pad;
        break;
    default:
        break;
    }
    if (key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Down || key == Qt::Key_Up) {
        selectPad(next, 0);
    }
    // Holding a key moves the selection without playing every step.
    if (!(hooks_.keyRepeating && hooks_.keyRepeating())) {
        playPad();
    }
}

void PadPanel::run(CommandId id, int index) {
    const int pad = kit_.currentPad;
    switch (id) {
    case CommandId::Navigate:
        navigate();
        return;
    case CommandId::Copy:
        clipboard_.copy(pad);
        return;
    case CommandId::Cut:
        clipboard_.cut(pad);
        return;
    case CommandId::Paste:
        applyPadEdit(clipboard_.paste(kit_, pad));
        return;
    case CommandId::Delete:
        applyPadEdit(deletePad(kit_, pad));
        return;
    case CommandId::Rename:
        rename(pad);
        return;
    case CommandId::RenamePad:
        if (index >= 0 && index < kPadCount) {
            rename(index);
        }
        return;
    default:
        return;
    }
}

void PadPanel::applyPadEdit(const KitEdit& edit) {
    // The copies the edit gives up go at the next save (see kit/SavePlan.h).
    edits_.apply(edit);
}

void PadPanel::rename(int pad) {
    if (renameBox_ != nullptr) {
        delete renameBox_.data();
    }
    selectPad(pad, 0);
    const int chosen = kit_.currentPad;
    ClickLabel* name = labels_[static_cast<std::size_t>(chosen)];
    renameBox_ = new InPlaceEdit(name);
    renameBox_->setMaxLength(static_cast<int>(kPadNameMax));
    if (hooks_.codePage) {
        renameBox_->setValidator(new CodePageValidator(
            hooks_.codePage, QString::fromLatin1(kPadNameRefused), renameBox_));
    }
    connect(renameBox_, &InPlaceEdit::committed, this, [this, chosen](const QString& text) {
        if (!text.isEmpty()) {
            edits_.apply(renamePad(kit_, chosen, toStd(text)));
        }
    });
    const QString shown = name->text();
    renameBox_->start(shown == QLatin1String(kUnnamedPad) ? QString() : shown,
                      buttons_[static_cast<std::size_t>(chosen)]);
}

void PadPanel::commitRename() {
    if (InPlaceEdit* box = renameBox_.data(); box != nullptr && box->editing()) {
        box->commit();
    }
}

void PadPanel::kitReplaced() {
    clipboard_.clear();
    if (renameBox_ != nullptr) {
        renameBox_->hide();
    }
}

} // namespace padsmith
