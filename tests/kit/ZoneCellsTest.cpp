// SPDX-License-Identifier: GPL-3.0-or-later
#include "kit/ZoneCells.h"

#include "kit/KitHost.h"

#include <fstream>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace padsmith {
namespace {

SampleZone zoneWith(int key, int low = 1, int high = 127) {
    SampleZone zone;
    zone.key = key;
    zone.velocityLow = low;
    zone.velocityHigh = high;
    return zone;
}

// A kit whose pad 0 holds `count` zones on key 36; their pad numbers are set.
KitDocument kitWithZones(int count) {
    KitDocument kit;
    for (int i = 0; i < count; ++i) {
        SampleZone zone = zoneWith(36);
        zone.sampleName = "z" + std::to_string(i) + ".wav";
        kit.pads[0].append(zone);
    }
    settleZones(kit.pads[0], 0);
    return kit;
}

// The zone at `row` of pad 0 after committing `text` to `column` of that row.
SampleZone committed(const SampleZone& start, ZoneColumn column, const std::string& text) {
    KitDocument kit;
    kit.pads[0].append(start);
    settleZones(kit.pads[0], 0);
    const CellCommit commit = commitCell(kit, 0, {0}, column, text, nullptr);
    applyEdit(kit, commit.edit);
    return kit.pads[0].at(0);
}

class Recorder : public KitHost {
public:
    void selectPad(int pad, int zone) override { selections.emplace_back(pad, zone); }
    void showMessage(MessageIcon /*icon*/, const std::string& text) override {
        messages.push_back(text);
    }
    std::vector<std::pair<int, int>> selections;
    std::vector<std::string> messages;
};

TEST(CellText, ShownAndOfferedForEditing) {
    SampleZone zone = zoneWith(60, 1, 127);
    zone.keyRangeHigh = 127;
    zone.gainRight = 2.0F;
    EXPECT_EQ(zoneCellText(zone, ZoneColumn::Key), "C3");
    EXPECT_EQ(zoneCellText(zone, ZoneColumn::Velocity), "  1 - 127");
    EXPECT_EQ(zoneCellText(zone, ZoneColumn::KeyRange), "C-2 - G8");
    EXPECT_EQ(zoneCellText(zone, ZoneColumn::Volume), "+0 dB / +6 dB");

    EXPECT_EQ(editStartText(zone, ZoneColumn::Velocity, 0), "1  127");
    EXPECT_EQ(editStartText(zone, ZoneColumn::KeyRange, 0), "C-2  G8");
    EXPECT_EQ(editStartText(zone, ZoneColumn::Volume, 0), "0  6");
    EXPECT_EQ(editStartText(zone, ZoneColumn::Key, 0), "C3");
    // An ungrouped zone on pad 5 proposes group 5; a grouped one keeps its group.
    EXPECT_EQ(editStartText(zone, ZoneColumn::Group, 4), "5");
    zone.group = 12;
    EXPECT_EQ(editStartText(zone, ZoneColumn::Group, 4), "12");
}

TEST(CellText, EveryOfferedTextCommitsBackUnchanged) {
    SampleZone zone = zoneWith(61, 33, 99);
    zone.keyRangeLow = 24;
    zone.keyRangeHigh = 100;
    zone.gainLeft = 0.25F;
    zone.gainRight = 8.0F;
    zone.group = 7;
    zone.voices = 3;
    for (const ZoneColumn column : {ZoneColumn::Key, ZoneColumn::Velocity, ZoneColumn::Voices,
                                    ZoneColumn::Group, ZoneColumn::KeyRange, ZoneColumn::Volume}) {
        const SampleZone back = committed(zone, column, editStartText(zone, column, 0));
        SampleZone expected = zone;
        expected.padNumber = 1;
        EXPECT_EQ(back, expected) << editStartText(zone, column, 0);
    }
}

TEST(Pairs, SplitIntoFirstAndLastWord) {
    const std::vector<std::pair<std::string, std::pair<std::string, std::string>>> cases = {
        {"  1 - 127", {"1", "127"}},
        {"C-2 - G8", {"C-2", "G8"}},
        {"100", {"100", ""}},
        {"+6 dB / -6 dB", {"+6", "dB"}},
        {" 5", {"5", ""}},
        {"1  2  3", {"1", "3"}},
        {"7 ", {"7", ""}},
        {"", {"", ""}},
        {"   ", {"", ""}}};
    for (const auto& [text, words] : cases) {
        EXPECT_EQ(splitPair(text), words) << "'" << text << "'";
    }
}

TEST(Pairs, LeadingIntegersAndNumberPairs) {
    EXPECT_EQ(leadingInteger("  42abc"), 42);
    EXPECT_EQ(leadingInteger("-7"), -7);
    EXPECT_EQ(leadingInteger("+8"), 8);
    EXPECT_EQ(leadingInteger("abc"), 0);
    EXPECT_EQ(leadingInteger("- 3"), 0);
    EXPECT_EQ(leadingInteger("99999999999999999999"), 2147483647);
    EXPECT_EQ(leadingInteger("-99999999999999999999"), -2147483647 - 1);

    const auto pair = [](const std::string& text) {
        const NumberPair p = parseNumberPair(text);
        return std::make_pair(p.low, p.high);
    };
    EXPECT_EQ(pair("127  1"), std::make_pair(1, 127));
    EXPECT_EQ(pair("100"), std::make_pair(0, 100));
    EXPECT_EQ(pair("-5 300"), std::make_pair(0, 127));
    EXPECT_EQ(pair("99999999999 12"), std::make_pair(12, 127));
}

// The shared table of typed texts (tests/data/cell_texts.tsv), which `padsmith-kit set` is held
// against too: each accepted text with the cell it leaves, each refused one changing nothing.
TEST(CellText, TypedTextsAsTheSharedTableSays) {
    std::ifstream table(PADSMITH_CELL_TEXTS);
    ASSERT_TRUE(table.good()) << PADSMITH_CELL_TEXTS;
    SampleZone start = zoneWith(36, 20, 30);
    start.keyRangeHigh = 127;
    int rows = 0;
    for (std::string line; std::getline(table, line);) {
        if (line.empty() || line.front() == '#') {
            continue;
        }
        const std::size_t first = line.find('\t');
        const std::size_t second = line.find('\t', first + 1);
        ASSERT_NE(second, std::string::npos) << line;
        const std::optional<ZoneColumn> column = zoneColumnNamed(line.substr(0, first));
        ASSERT_TRUE(column) << line;
        const std::string text = line.substr(first + 1, second - first - 1);
        const std::string expected = line.substr(second + 1);

        KitDocument kit;
        kit.pads[0].append(start);
        settleZones(kit.pads[0], 0);
        const CellCommit commit = commitCell(kit, 0, {0}, *column, text, nullptr);
        if (expected == "refused") {
            EXPECT_TRUE(commit.edit.empty()) << line;
            EXPECT_NE(commit.refusal.find(cellTextExpected(*column)), std::string::npos) << line;
            EXPECT_EQ(cellTextRefusal(*column, text), commit.refusal) << line;
        } else {
            EXPECT_EQ(commit.refusal, "") << line;
            applyEdit(kit, commit.edit);
            EXPECT_EQ(zoneCellText(kit.pads[0].at(0), *column), expected) << line;
        }
        ++rows;
    }
    EXPECT_GT(rows, 40);
    EXPECT_EQ(cellTextRefusal(ZoneColumn::Key, "kick"),
              "\"kick\" is no value for Key: type a note name such as C3, or a number 0 to 127.");
}

TEST(KeyColumn, DoubleNoteStopsAtTheFirstRefusedRow) {
    KitDocument kit = kitWithZones(3);
    kit.pads[0].at(0).velocityHigh = 10; // rows 0 and 1 overlap pad 3's window, row 2 not
    kit.pads[0].at(0).velocityLow = 1;
    kit.pads[0].at(1).velocityLow = 50;
    kit.pads[0].at(2).velocityLow = 100;
    kit.pads[3].append(zoneWith(40, 40, 60));
    settleZones(kit.pads[3], 3);

    // Row 0 takes the key, row 1 is refused, row 2 is not reached.
    Recorder host;
    CellCommit commit = commitCell(kit, 0, {2, 1, 0}, ZoneColumn::Key, "40", &host);
    ASSERT_EQ(commit.refusedRow, 1);
    ASSERT_TRUE(commit.conflict.has_value());
    EXPECT_EQ(commit.conflict->pad, 3);
    EXPECT_EQ(commit.conflict->position, 0);
    EXPECT_EQ(host.messages, std::vector<std::string>{"Double defined NOTE in your drum set!"});
    EXPECT_EQ(host.selections, (std::vector<std::pair<int, int>>{{3, 0}, {0, 1}}));
    applyEdit(kit, commit.edit);
    EXPECT_EQ(kit.pads[0].at(0).key, 40);
    EXPECT_EQ(kit.pads[0].at(1).key, 36);
    EXPECT_EQ(kit.pads[0].at(2).key, 36);

    // The first row refused: nothing at all changes.
    commit = commitCell(kit, 0, {1, 2}, ZoneColumn::Key, "E1", nullptr);
    EXPECT_EQ(commit.refusedRow, 1);
    EXPECT_TRUE(commit.edit.empty());

    // Zones of the same pad may share a key and overlapping windows (rows 1 and 2).
    kit.pads[3].at(0).key = 41;
    commit = commitCell(kit, 0, {0, 1, 2}, ZoneColumn::Key, "E1", nullptr);
    EXPECT_FALSE(commit.refusedRow);
    applyEdit(kit, commit.edit);
    EXPECT_EQ(kit.pads[0].at(2).key, 40);
}

TEST(KeyColumn, CheckUsesThePadTheZoneSitsIn) {
    // A zone whose pad number was not refreshed (moved from pad 4) is still checked as pad 1's.
    KitDocument kit = kitWithZones(1);
    kit.pads[0].at(0).padNumber = 4;
    kit.pads[3].append(zoneWith(50));
    const CellCommit commit = commitCell(kit, 0, {0}, ZoneColumn::Key, "50", nullptr);
    EXPECT_EQ(commit.refusedRow, 0);
}

TEST(Commit, RowsTextAndColumnsThatChangeNothing) {
    KitDocument kit = kitWithZones(4);
    // Every row at once, one edit of one pad; rows outside the pad and repeats are passed over.
    CellCommit commit =
        commitCell(kit, 0, {0, 1, 2, 3, 3, 9, -1}, ZoneColumn::Voices, "100", nullptr);
    ASSERT_EQ(commit.edit.changes.size(), 1U);
    EXPECT_EQ(commit.edit.name, "Edit Voices");
    applyEdit(kit, commit.edit);
    for (const SampleZone& zone : kit.pads[0]) {
        EXPECT_EQ(zone.voices, 100);
    }
    // Only the rows given change, every other field stays.
    const KitDocument before = kit;
    applyEdit(kit, commitCell(kit, 0, {2}, ZoneColumn::Group, "9", nullptr).edit);
    for (std::size_t row = 0; row < 4; ++row) {
        SampleZone expected = before.pads[0].at(row);
        expected.group = row == 2 ? 9 : 0;
        EXPECT_EQ(kit.pads[0].at(row), expected);
    }

    EXPECT_TRUE(commitCell(kit, 0, {0}, ZoneColumn::Voices, "", nullptr).edit.empty());
    EXPECT_TRUE(commitCell(kit, 0, {0}, ZoneColumn::Sample, "new.wav", nullptr).edit.empty());
    EXPECT_TRUE(commitCell(kit, 0, {0}, ZoneColumn::SourceFolder, "/x", nullptr).edit.empty());
    EXPECT_TRUE(commitCell(kit, 18, {0}, ZoneColumn::Voices, "5", nullptr).edit.empty());
    EXPECT_TRUE(commitCell(kit, 1, {0}, ZoneColumn::Voices, "5", nullptr).edit.empty());
    // The same value again is no change.
    EXPECT_TRUE(commitCell(kit, 0, {0}, ZoneColumn::Voices, "100", nullptr).edit.empty());
    // Typed text ends at a zero byte and after 255 characters.
    EXPECT_TRUE(commitCell(kit, 0, {0}, ZoneColumn::Voices,
                           std::string("\0"
                                       "5",
                                       2),
                           nullptr)
                    .edit.empty());
    // Blanks alone are no text; the 256th character is cut off.
    EXPECT_TRUE(commitCell(kit, 0, {0}, ZoneColumn::Voices, std::string(255, ' ') + "5", nullptr)
                    .edit.empty());
}

TEST(Columns, NamedAsInTheHeader) {
    EXPECT_EQ(zoneColumnNamed("Key"), ZoneColumn::Key);
    EXPECT_EQ(zoneColumnNamed("key range"), ZoneColumn::KeyRange);
    EXPECT_EQ(zoneColumnNamed("Vol"), ZoneColumn::Volume);
    EXPECT_EQ(zoneColumnNamed("Vol.L/R (-12dB-+24dB)"), ZoneColumn::Volume);
    EXPECT_EQ(zoneColumnNamed("VELOCITY"), ZoneColumn::Velocity);
    EXPECT_FALSE(zoneColumnNamed("Pitch"));
    EXPECT_FALSE(zoneColumnNamed(""));
}

TEST(SpreadVelocity, WindowsOfUpToFiveZones) {
    const std::vector<std::vector<std::pair<int, int>>> expected = {
        {{1, 127}},
        {{1, 74}, {75, 127}},
        {{1, 56}, {57, 93}, {94, 127}},
        {{1, 47}, {48, 75}, {76, 103}, {104, 127}},
        {{1, 41}, {42, 63}, {64, 85}, {86, 107}, {108, 127}}};
    for (std::size_t n = 1; n <= expected.size(); ++n) {
        for (std::size_t j = 0; j < n; ++j) {
            EXPECT_EQ(spreadWindow(static_cast<int>(j), static_cast<int>(n)), expected[n - 1][j])
                << j << " of " << n;
        }
    }
    EXPECT_EQ(spreadWindow(10, 11), std::make_pair(120, 127));
}

TEST(SpreadVelocity, LongRunsStayWithinOneTo127) {
    for (int n = 2; n <= 300; ++n) {
        int previousHigh = 0;
        for (int j = 0; j < n; ++j) {
            const auto [low, high] = spreadWindow(j, n);
            ASSERT_GE(low, 1) << j << " of " << n;
            ASSERT_LE(low, high) << j << " of " << n;
            ASSERT_LE(high, 127) << j << " of " << n;
            // Windows follow each other without gaps; only runs of more than 127 zones share.
            ASSERT_TRUE(low == previousHigh + 1 || (n > 127 && low == std::max(previousHigh, 1)))
                << j << " of " << n;
            previousHigh = high;
        }
        ASSERT_EQ(spreadWindow(0, n).first, 1);
        ASSERT_EQ(spreadWindow(n - 1, n).second, 127);
    }
}

TEST(SpreadVelocity, SortsByKeyAndSpreadsEachKey) {
    KitDocument kit;
    for (const int key : {36, 38, 36, 36}) {
        SampleZone zone = zoneWith(key, 5, 6);
        zone.sampleName = std::to_string(key) + "-" + std::to_string(kit.pads[2].size());
        zone.voices = 4;
        kit.pads[2].append(zone);
    }
    const KitEdit edit = spreadVelocities(kit, 2);
    EXPECT_EQ(edit.name, "Set dynamic velocity");
    applyEdit(kit, edit);
    std::vector<std::string> names;
    std::vector<std::pair<int, int>> windows;
    for (const SampleZone& zone : kit.pads[2]) {
        names.push_back(zone.sampleName);
        windows.emplace_back(zone.velocityLow, zone.velocityHigh);
        EXPECT_EQ(zone.voices, 4);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"36-0", "36-2", "36-3", "38-1"}));
    EXPECT_EQ(windows, (std::vector<std::pair<int, int>>{{1, 56}, {57, 93}, {94, 127}, {1, 127}}));

    // Fewer than two zones, or already spread: no edit.
    EXPECT_TRUE(spreadVelocities(kit, 2).empty());
    kit.pads[5].append(zoneWith(36, 5, 6));
    EXPECT_TRUE(spreadVelocities(kit, 5).empty());
    EXPECT_TRUE(spreadVelocities(kit, -1).empty());
}

TEST(SettleZones, PadNumberFromThePadAndReservedFieldsCleared) {
    Pad pad;
    SampleZone zone = zoneWith(36);
    zone.padNumber = 9;
    zone.reserved1 = 5;
    zone.reserved2 = 6;
    pad.append(zone);
    settleZones(pad, 2);
    EXPECT_EQ(pad.at(0).padNumber, 3);
    EXPECT_EQ(pad.at(0).reserved1, 0);
    EXPECT_EQ(pad.at(0).reserved2, 0);
}

} // namespace
} // namespace padsmith
