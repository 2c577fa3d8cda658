// SPDX-License-Identifier: GPL-3.0-or-later
#include "kit/PadEdits.h"

#include "FakeHost.h"

#include <array>
#include <gtest/gtest.h>
#include <string>

namespace padsmith {
namespace {

using test::FakeHost;
using test::TempFolder;

// Pad index `pad` named `name`, playing the given samples.
void fill(KitDocument& kit, int pad, const std::string& name,
          const std::vector<std::string>& samples) {
    Pad& target = kit.pads[static_cast<std::size_t>(pad)];
    target.label = name;
    int key = 36 + pad;
    for (const std::string& sample : samples) {
        SampleZone zone;
        zone.padNumber = pad + 1;
        zone.key = key++;
        zone.padName = name;
        zone.sampleName = sample;
        zone.sourcePath = "/library/" + sample;
        target.append(zone);
    }
}

std::array<std::uint32_t, kPadCount> fingerprints(const KitDocument& kit) {
    std::array<std::uint32_t, kPadCount> result{};
    for (std::size_t p = 0; p < result.size(); ++p) {
        result[p] = kit.pads[p].fingerprint();
    }
    return result;
}

class PadEditsTest : public ::testing::Test {
protected:
    void SetUp() override {
        kit.kitName = "Rock";
        kit.sampleFolder = "Rock";
        fill(kit, 0, "KICK", {"kick.wav", "kick2.wav"});
        fill(kit, 1, "SNARE", {"snare.wav"});
    }
    // Applies the edit, checks that its inverse gives the kit back as it was, and applies it
    // again.
    void applyAndCheckUndo(const KitEdit& edit) {
        ASSERT_FALSE(edit.empty());
        const auto before = fingerprints(kit);
        applyEdit(kit, edit);
        EXPECT_NE(fingerprints(kit), before);
        applyEdit(kit, inverseOf(edit));
        EXPECT_EQ(fingerprints(kit), before);
        applyEdit(kit, edit);
    }
    const Pad& pad(int index) const { return kit.pads[static_cast<std::size_t>(index)]; }

    KitDocument kit;
    PadClipboard clipboard;
};

TEST_F(PadEditsTest, CopyOntoAnEmptyPadDuplicatesItOnce) {
    const Pad kick = pad(0);
    clipboard.copy(0);
    EXPECT_FALSE(clipboard.canPaste(0)); // not onto itself
    applyAndCheckUndo(clipboard.paste(kit, 4));

    EXPECT_EQ(pad(0), kick);
    ASSERT_EQ(pad(4).size(), 2U);
    EXPECT_EQ(pad(4).label, "KICK");
    EXPECT_EQ(pad(4).at(1).sampleName, "kick2.wav");
    EXPECT_EQ(pad(4).at(0).padNumber, 5); // the zones sit on their new pad
    // The clipboard is empty: a second paste does nothing.
    EXPECT_FALSE(clipboard.canPaste(7));
    EXPECT_TRUE(clipboard.paste(kit, 7).empty());
}

TEST_F(PadEditsTest, CopyOntoAPadWithZonesSwapsThemWithTheirNames) {
    clipboard.copy(0);
    const KitEdit edit = clipboard.paste(kit, 1);
    EXPECT_EQ(edit.name, "Swap Pads");
    applyAndCheckUndo(edit);
    EXPECT_EQ(pad(0).label, "SNARE");
    EXPECT_EQ(pad(1).label, "KICK");
    ASSERT_EQ(pad(0).size(), 1U);
    EXPECT_EQ(pad(0).at(0).sampleName, "snare.wav");
    EXPECT_EQ(pad(0).at(0).padNumber, 1);
    EXPECT_EQ(pad(1).size(), 2U);
}

TEST_F(PadEditsTest, CutMovesOntoAnEmptyPadOrReplacesAFullOne) {
    clipboard.cut(0);
    const KitEdit move = clipboard.paste(kit, 5);
    EXPECT_EQ(move.name, "Move Pad");
    applyAndCheckUndo(move);
    EXPECT_TRUE(pad(0).empty());
    EXPECT_EQ(pad(0).label, "XXX");
    EXPECT_EQ(pad(5).label, "KICK");
    EXPECT_EQ(pad(5).size(), 2U);
    EXPECT_FALSE(clipboard.cutMarked());

    // Back, onto a pad with zones: the snare's zones leave the kit.
    clipboard.cut(5);
    applyEdit(kit, clipboard.paste(kit, 1));
    EXPECT_TRUE(pad(5).empty());
    EXPECT_EQ(pad(1).label, "KICK");
    EXPECT_EQ(pad(1).size(), 2U);
}

TEST_F(PadEditsTest, CopyAfterCutPastesACopy) {
    clipboard.cut(1);
    clipboard.copy(0);
    EXPECT_FALSE(clipboard.cutMarked());
    applyEdit(kit, clipboard.paste(kit, 6));
    EXPECT_EQ(pad(0).size(), 2U); // the copied pad stays
    EXPECT_EQ(pad(1).size(), 1U); // and so does the one cut earlier
    EXPECT_EQ(pad(6).size(), 2U);
}

TEST_F(PadEditsTest, DeleteAndRenameAreUndoable) {
    applyAndCheckUndo(deletePad(kit, 1));
    EXPECT_TRUE(pad(1).empty());
    EXPECT_EQ(pad(1).label, "XXX");

    const std::string longName(40, 'N');
    applyAndCheckUndo(renamePad(kit, 0, longName));
    EXPECT_EQ(pad(0).label, std::string(31, 'N'));
    for (const SampleZone& zone : pad(0)) {
        EXPECT_EQ(zone.padName, std::string(31, 'N'));
    }
    EXPECT_TRUE(renamePad(kit, 0, "").empty());
    EXPECT_TRUE(renamePad(kit, 0, std::string(31, 'N')).empty()); // same name: no step
    EXPECT_TRUE(deletePad(kit, kPadCount).empty());
}

} // namespace
} // namespace padsmith
