// SPDX-License-Identifier: GPL-3.0-or-later
#include "kit/KitEdit.h"

#include <array>
#include <cstdint>
#include <gtest/gtest.h>
#include <string>

namespace padsmith {
namespace {

SampleZone zoneOn(int pad, int key, const std::string& sample) {
    SampleZone zone;
    zone.padNumber = pad + 1;
    zone.key = key;
    zone.sampleName = sample;
    zone.sourcePath = "/samples/" + sample;
    return zone;
}

std::array<std::uint32_t, kPadCount> fingerprints(const KitDocument& kit) {
    std::array<std::uint32_t, kPadCount> result{};
    for (std::size_t p = 0; p < result.size(); ++p) {
        result[p] = kit.pads[p].fingerprint();
    }
    return result;
}

// A kit with zones on pads 0, 1 and 4, saved, so `modified` reports any change.
KitDocument smallKit() {
    KitDocument kit;
    kit.pads[0].append(zoneOn(0, 36, "kick.wav"));
    kit.pads[0].label = "KICK";
    kit.pads[1].append(zoneOn(1, 38, "snare.wav"));
    kit.pads[1].append(zoneOn(1, 40, "rim.wav"));
    kit.pads[1].label = "SNARE";
    kit.pads[4].append(zoneOn(4, 42, "hat.wav"));
    kit.takeSavedFingerprints();
    return kit;
}

TEST(PadEquality, ComparesNameAndZonesInOrder) {
    Pad a;
    a.append(zoneOn(0, 36, "a.wav"));
    a.append(zoneOn(0, 37, "b.wav"));
    Pad b = a;
    EXPECT_EQ(a, b);
    b.label = "OTHER";
    EXPECT_NE(a, b);
    b = a;
    std::swap(b.zones()[0], b.zones()[1]);
    EXPECT_NE(a, b);
    b = a;
    b.at(1).gainLeft = 2.0F;
    EXPECT_NE(a, b);
}

TEST(KitEdit, EmptyWhenNothingOrNothingChanges) {
    KitEdit edit;
    EXPECT_TRUE(edit.empty());
    Pad pad;
    pad.append(zoneOn(0, 36, "a.wav"));
    edit.changes.push_back(PadChange{3, pad, pad});
    EXPECT_TRUE(edit.empty());
    Pad renamed = pad;
    renamed.label = "NEW";
    edit.changes.push_back(PadChange{4, pad, renamed});
    EXPECT_FALSE(edit.empty());
}

TEST(KitEdit, ApplyThenInverseRestoresTheKitAndClearsModified) {
    KitDocument kit = smallKit();
    const auto saved = fingerprints(kit);
    const Pad kick = kit.pads[0];
    const Pad snare = kit.pads[1];

    // A swap of pads 0 and 1, as a paste onto a pad with zones makes it.
    KitEdit swap{"Paste Pad", {PadChange{1, snare, kick}, PadChange{0, kick, snare}}};
    applyEdit(kit, swap);
    EXPECT_EQ(kit.pads[0], snare);
    EXPECT_EQ(kit.pads[1], kick);
    EXPECT_TRUE(kit.updateModified());

    const KitEdit undo = inverseOf(swap);
    EXPECT_EQ(undo.name, "Paste Pad");
    applyEdit(kit, undo);
    EXPECT_EQ(fingerprints(kit), saved);
    EXPECT_FALSE(kit.updateModified());

    // Redo after undo gives the edited kit again.
    applyEdit(kit, inverseOf(undo));
    EXPECT_EQ(kit.pads[0], snare);
    EXPECT_EQ(kit.pads[1], kick);
}

TEST(KitEdit, InverseRunsTheChangesBackwards) {
    // Two steps on the same pad in one edit: undoing must end at the first step's `before`.
    KitDocument kit = smallKit();
    const Pad original = kit.pads[4];
    Pad step1 = original;
    step1.label = "HAT";
    Pad step2 = step1;
    step2.clear();
    KitEdit edit{"Two Steps", {PadChange{4, original, step1}, PadChange{4, step1, step2}}};

    applyEdit(kit, edit);
    EXPECT_EQ(kit.pads[4], step2);
    applyEdit(kit, inverseOf(edit));
    EXPECT_EQ(kit.pads[4], original);
}

TEST(KitEdit, ChangesOutsideThePadsAreIgnored) {
    KitDocument kit = smallKit();
    const auto saved = fingerprints(kit);
    Pad pad;
    pad.append(zoneOn(0, 50, "x.wav"));
    applyEdit(kit, KitEdit{"Bad", {PadChange{-1, Pad{}, pad}, PadChange{kPadCount, Pad{}, pad}}});
    EXPECT_EQ(fingerprints(kit), saved);
}

TEST(KitEditRecorder, SnapshotsEachPadOnceAndReadsTheResult) {
    KitDocument kit = smallKit();
    const auto saved = fingerprints(kit);
    const Pad snare = kit.pads[1];

    KitEditRecorder recorder(kit, "Delete Zones");
    recorder.touch(1).erase(0);
    recorder.touch(1).erase(0); // the second touch must not replace the first snapshot
    recorder.touch(4).label = "HAT";
    const KitEdit edit = recorder.finish();

    ASSERT_EQ(edit.changes.size(), 2U);
    EXPECT_EQ(edit.name, "Delete Zones");
    EXPECT_EQ(edit.changes[0].pad, 1);
    EXPECT_EQ(edit.changes[0].before, snare);
    EXPECT_TRUE(edit.changes[0].after.empty());
    EXPECT_EQ(edit.changes[1].after.label, "HAT");
    EXPECT_FALSE(edit.empty());

    applyEdit(kit, inverseOf(edit));
    EXPECT_EQ(fingerprints(kit), saved);
    EXPECT_EQ(kit.pads[4].label, "XXX");
    EXPECT_THROW(recorder.touch(kPadCount), std::out_of_range);
}

TEST(KitEditRecorder, TouchWithoutChangeIsAnEmptyEdit) {
    KitDocument kit = smallKit();
    KitEditRecorder recorder(kit, "Rename Pad");
    recorder.touch(0).label = "KICK";
    EXPECT_TRUE(recorder.finish().empty());
}

} // namespace
} // namespace padsmith
