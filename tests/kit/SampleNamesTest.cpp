// SPDX-License-Identifier: GPL-3.0-or-later
#include "kit/SampleNames.h"

#include "kit/KitScript.h"
#include "kit/SampleZone.h"

#include <gtest/gtest.h>
#include <random>

namespace padsmith {
namespace {

TEST(SampleNames, TheRule) {
    const CodePage western;
    const CodePage cyrillic = *CodePage::byName("Windows-1251");
    struct Row {
        std::string name;
        bool accepted;
        std::string cleaned; // what the import makes of it; empty: refused
        const CodePage* page = nullptr;
    } const rows[] = {
        {"kick_soft.wav", true, "kick_soft.wav"},
        {"#1 kick (hard).wav", true, "#1 kick (hard).wav"},
        {"...wav", true, "...wav"},
        {"Café.wav", true, "Café.wav"},
        {"Café.wav", false, "", &cyrillic},
        {"Жук.wav", true, "Жук.wav", &cyrillic},
        {"Жук.wav", false, ""},
        {"kick,1.wav", false, "kick 1.wav"},
        {"Ã©.wav", false, ""}, // in Windows-1252 the bytes of "é" in UTF-8
        {" kick.wav", false, "kick.wav"},
        {"kick.wav ", false, "kick.wav"},
        {"a\tb.wav", false, "a b.wav"},
        {"a\nb.wav", false, "a b.wav"},
        {"", false, ""},
        {".", false, ""},
        {"..", false, ""},
        {",", false, ""},
        {"a/b.wav", false, ""},
        {"a\\b.wav", false, ""},
        {"../../x.wav", false, ""},
        {std::string(kTextMax, 'a'), true, std::string(kTextMax, 'a')},
        {std::string(kTextMax - 1, 'a') + "é", true, std::string(kTextMax - 1, 'a') + "é"},
        {std::string(kTextMax + 1, 'a'), false, ""},
    };
    for (const Row& row : rows) {
        const CodePage& page = row.page != nullptr ? *row.page : western;
        EXPECT_EQ(sampleNameProblem(row.name, page).empty(), row.accepted) << row.name;
        std::string why;
        const std::optional<std::string> imported = importedSampleName(row.name, page, &why);
        EXPECT_EQ(imported.value_or(""), row.cleaned) << row.name;
        EXPECT_EQ(why.empty(), imported.has_value()) << row.name;
    }
    EXPECT_TRUE(sourcePathProblem("/" + std::string(kTextMax - 1, 'p')).empty());
    EXPECT_FALSE(sourcePathProblem("/" + std::string(kTextMax, 'p')).empty());
    EXPECT_FALSE(sourcePathProblem("/lib/Жук.wav").empty());
}

// Every name the import gives a sample is written into a kit script and read back unchanged.
TEST(SampleNames, AcceptedNamesReadBackUnchanged) {
    const std::vector<std::string> pieces = {"a",  "Z", "0", " ", ",", ".", "..", "/",    "\\",
                                             "\t", "#", "_", "-", "é", "Ø", "€",  "\r\n", "kick"};
    std::mt19937 random(17);
    const CodePage page;
    int accepted = 0;
    for (int i = 0; i < 2000; ++i) {
        std::string name;
        const int count = std::uniform_int_distribution<int>(0, i % 10 == 0 ? 120 : 8)(random);
        for (int k = 0; k < count; ++k) {
            name +=
                pieces[std::uniform_int_distribution<std::size_t>(0, pieces.size() - 1)(random)];
        }
        name += i % 3 == 0 ? ".wav" : "";
        const std::optional<std::string> imported = importedSampleName(name, page);
        if (!imported) {
            continue;
        }
        ++accepted;
        KitDocument kit;
        SampleZone zone;
        zone.sampleName = *imported;
        zone.sourcePath = "/lib/" + name;
        kit.pads[4].append(zone);
        const CodePage::Encoded bytes = page.encode(formatKitScript(kit));
        ASSERT_TRUE(bytes.ok()) << name;
        const std::optional<KitScriptContent> read =
            parseKitScript(decodeFileText(bytes.bytes, page));
        ASSERT_TRUE(read && read->zones.size() == 1U) << name;
        EXPECT_EQ(read->zones[0].sampleName, *imported) << name;
        EXPECT_FALSE(read->report.readInPart()) << name;
    }
    EXPECT_GT(accepted, 500);
}

} // namespace
} // namespace padsmith
