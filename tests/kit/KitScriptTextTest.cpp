// SPDX-License-Identifier: GPL-3.0-or-later
#include "kit/KitName.h"
#include "kit/KitScript.h"

#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

namespace padsmith {
namespace {

SampleZone makeZone(int pad, int key, const std::string& sample, int low, int high, float gain,
                    const std::string& source) {
    SampleZone zone;
    zone.padNumber = pad + 1;
    zone.key = key;
    zone.sampleName = sample;
    zone.velocityLow = low;
    zone.velocityHigh = high;
    zone.keyRangeLow = key;
    zone.keyRangeHigh = key;
    zone.gainLeft = gain;
    zone.gainRight = gain;
    zone.sourcePath = source;
    return zone;
}

KitDocument rockKit() {
    KitDocument kit;
    kit.kitName = "Rock Kit";
    kit.sampleFolder = "Rock Kit";
    kit.copyright = "My Studio";
    kit.pads[0].label = "KICK";
    kit.pads[0].append(makeZone(0, 36, "kick.wav", 1, 127, 1.0F, "C:\\Samples\\kick.wav"));
    kit.pads[0].append(
        makeZone(0, 36, "kick hard.wav", 100, 127, 2.0F, "C:\\Samples\\kick hard.wav"));
    kit.pads[9].label = "HH";
    SampleZone hat = makeZone(9, 42, "hat.wav", 1, 127, 0.5F, "D:\\Drums\\hat.wav");
    hat.group = 1;
    hat.voices = 2;
    kit.pads[9].append(hat);
    return kit;
}

const std::string kRockKitText =
    "vst samples,\r\n"
    "Rock Kit,\r\n"
    "Rock Kit,\r\n"
    "My Studio,\r\n"
    "\r\n"
    " 1,  0, 0, 36,KICK,kick.wav,  1,127, 36, 36, 1.00, 1.00,  0,  0,\r\n"
    " 1,  0, 0, 36,KICK,kick hard.wav,100,127, 36, 36, 2.00, 2.00,  0,  0,\r\n"
    "10,  0, 0, 42,HH,hat.wav,  1,127, 42, 42, 0.50, 0.50,  1,  2,\r\n"
    "-1\r\n"
    "\r\n"
    " 1,C:\\Samples\\kick.wav,\r\n"
    " 1,C:\\Samples\\kick hard.wav,\r\n"
    "10,D:\\Drums\\hat.wav,\r\n"
    "-1\r\n"
    "\r\n"
    "Padsmith by Mervane";

TEST(KitScriptText, WritesTheExampleByteForByte) {
    EXPECT_EQ(formatKitScript(rockKit()), kRockKitText);
}

TEST(KitScriptText, EmptyKitAndEmptyCopyright) {
    KitDocument kit;
    EXPECT_EQ(formatKitScript(kit), "vst samples,\r\nUntitled,\r\nZARVO SAMPLES,\r\n,\r\n\r\n"
                                    "-1\r\n\r\n-1\r\n\r\nPadsmith by Mervane");
    const auto empty = parseKitScript(formatKitScript(kit));
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->kitName, "Untitled");
    EXPECT_EQ(empty->copyright, "");
    EXPECT_TRUE(empty->zones.empty());
    EXPECT_TRUE(empty->paths.empty());

    kit = rockKit();
    kit.copyright.clear();
    const auto read = parseKitScript(formatKitScript(kit));
    ASSERT_TRUE(read);
    EXPECT_EQ(read->copyright, "");
    EXPECT_EQ(read->zones.size(), 3U);
    EXPECT_EQ(read->paths.size(), 3U);
}

TEST(KitScriptText, ReadsTheExampleBack) {
    const auto read = parseKitScript(kRockKitText);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->formatTag, "vst samples");
    EXPECT_EQ(read->kitName, "Rock Kit");
    EXPECT_EQ(read->sampleFolder, "Rock Kit");
    EXPECT_EQ(read->copyright, "My Studio");
    const KitDocument kit = rockKit();
    const SampleZone* expected[] = {&kit.pads[0].at(0), &kit.pads[0].at(1), &kit.pads[9].at(0)};
    const char* names[] = {"KICK", "KICK", "HH"};
    ASSERT_EQ(read->zones.size(), 3U);
    ASSERT_EQ(read->paths.size(), 3U);
    for (std::size_t i = 0; i < 3; ++i) {
        SampleZone zone = *expected[i];
        zone.padName = names[i];
        zone.sourcePath = "???";
        EXPECT_EQ(read->zones[i], zone) << "zone " << i;
        EXPECT_EQ(read->paths[i].padNumber, expected[i]->padNumber);
        EXPECT_EQ(read->paths[i].path, expected[i]->sourcePath);
    }
    EXPECT_EQ(read->paths[0].zoneIndex, 0);
    EXPECT_EQ(read->paths[1].zoneIndex, 1);
    EXPECT_EQ(read->paths[2].zoneIndex, 0);
}

TEST(KitScriptText, ReadsOddButValidFiles) {
    // LF only, tabs and extra blanks, texts with leading and trailing blanks, a gain written
    // by another tool, integers at their full width, no blank line after the header.
    const std::string body = "Odd,\nOdd,\n  Me  ,\n"
                             "\t3,-99,-9,999, \tSN ARE  ,  snare 1.wav ,\t\t 50,60,-99,999,1.5,"
                             "  0.2500,63,127,\n"
                             " 3,  0, 0, 38,SNARE,x.wav,  1,127,  0,  0, 1.00, 1.00,  0,  0, \n"
                             "-1\n \n"
                             "3, /a b/snare 1.wav  ,\n"
                             " 3,  /x.wav,\n"
                             " 5,/y.wav,\n"
                             "-1\n";
    // The first field keeps a trailing blank, and is then not the format tag.
    EXPECT_FALSE(parseKitScript("vst samples ,\n" + body));

    const auto fixed = parseKitScript("  vst samples,\n" + body);
    ASSERT_TRUE(fixed);
    EXPECT_EQ(fixed->copyright, "Me  ");
    ASSERT_EQ(fixed->zones.size(), 2U);
    const SampleZone& zone = fixed->zones[0];
    EXPECT_EQ(zone.padNumber, 3);
    EXPECT_EQ(zone.reserved1, -99);
    EXPECT_EQ(zone.reserved2, -9);
    EXPECT_EQ(zone.key, 999);
    EXPECT_EQ(zone.padName, "SN ARE  ");
    EXPECT_EQ(zone.sampleName, "snare 1.wav ");
    EXPECT_EQ(zone.velocityLow, 50);
    EXPECT_EQ(zone.velocityHigh, 60);
    EXPECT_EQ(zone.keyRangeLow, -99);
    EXPECT_EQ(zone.keyRangeHigh, 999);
    EXPECT_FLOAT_EQ(zone.gainLeft, 1.5F);
    EXPECT_FLOAT_EQ(zone.gainRight, 0.25F);
    EXPECT_EQ(zone.group, 63);
    EXPECT_EQ(zone.voices, 127);
    ASSERT_EQ(fixed->paths.size(), 3U);
    EXPECT_EQ(fixed->paths[0].path, "/a b/snare 1.wav  ");
    EXPECT_EQ(fixed->paths[1].path, "/x.wav");
    EXPECT_EQ(fixed->paths[1].zoneIndex, 1);
    EXPECT_EQ(fixed->paths[2].padNumber, 5);
    EXPECT_EQ(fixed->paths[2].zoneIndex, 0);
}

TEST(KitScriptText, RejectsOtherFormats) {
    for (const std::string text : {"", "vst samples", "VST samples,\r\n", "vst sample,\r\n",
                                   "vst samples x,\r\n", "\r\n,vst samples,", "instrument,\r\n"}) {
        EXPECT_FALSE(parseKitScript(text)) << text;
    }
}

TEST(KitScriptText, TruncatedInputNeverReadsOn) {
    for (std::size_t length = 0; length <= kRockKitText.size(); ++length) {
        const std::string prefix = kRockKitText.substr(0, length);
        const auto read = parseKitScript(prefix);
        if (!read) {
            continue;
        }
        ASSERT_LE(read->zones.size(), 3U);
        ASSERT_LE(read->paths.size(), 3U);
        if (!read->paths.empty()) {
            EXPECT_EQ(read->zones.size(), 3U) << "paths only after the whole zone section";
        }
    }
}

TEST(KitScriptText, BrokenLinesEndTheirSection) {
    const std::string head = "vst samples,\r\nK,\r\nK,\r\nC,\r\n\r\n";
    const std::string good = " 2,  0, 0, 38,SN,s.wav,  1,127,  0,  0, 1.00, 1.00,  0,  0,\r\n";

    // A broken zone line: the zones before it stay and keep their paths.
    auto read = parseKitScript(head + good + " 2,  0, 0, 38,SN,s.wav,  1\r\n" + good +
                               "-1\r\n\r\n 2,/s.wav,\r\n 2,/t.wav,\r\n-1\r\n");
    ASSERT_TRUE(read);
    EXPECT_EQ(read->zones.size(), 1U);
    ASSERT_EQ(read->paths.size(), 2U); // the second finds no zone when it is applied
    EXPECT_EQ(read->paths[0].path, "/s.wav");
    EXPECT_EQ(read->report.section, ScriptReadReport::Section::Zones);
    EXPECT_EQ(read->report.lineNumber, 7);
    EXPECT_EQ(read->report.reason, "no comma after the lowest velocity");

    // Pads outside 1 to 18 are skipped, in both sections; a negative number ends a section.
    const std::string onPad0 = " 0,  0, 0, 38,SN,s.wav,  1,127,  0,  0, 1.00, 1.00,  0,  0,\r\n";
    const std::string onPad19 = "19,  0, 0, 38,SN,s.wav,  1,127,  0,  0, 1.00, 1.00,  0,  0,\r\n";
    read = parseKitScript(head + good + onPad0 + onPad19 + good +
                          "-1\r\n\r\n99,/x.wav,\r\n 2,/s.wav,\r\n-1\r\n 2,/t.wav,\r\n");
    ASSERT_TRUE(read);
    ASSERT_EQ(read->zones.size(), 2U);
    ASSERT_EQ(read->paths.size(), 1U);
    EXPECT_EQ(read->paths[0].path, "/s.wav");
    read = parseKitScript(head + good + "-5,  0, 0, 38,SN,s.wav,  1,127,  0,  0, 1.00,\r\n" + good);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->zones.size(), 1U);

    // A path line without its comma ends the path section.
    read = parseKitScript(head + good + "-1\r\n\r\n 2,/s.wav\r\n 2,/t.wav,\r\n-1\r\n");
    ASSERT_TRUE(read);
    EXPECT_TRUE(read->paths.empty());

    // Empty zone texts read as empty rather than ending the section.
    read = parseKitScript(head + " 2,  0, 0, 38,,,  1,127,  0,  0, 1.00, 1.00,  0,  0,\r\n" + good +
                          "-1\r\n");
    ASSERT_TRUE(read);
    ASSERT_EQ(read->zones.size(), 2U);
    EXPECT_EQ(read->zones[0].padName, "");
    EXPECT_EQ(read->zones[0].sampleName, "");
}

// Kits that the reader understands only in part, and what it says about them.
TEST(KitScriptText, ReadInPartNamesTheLine) {
    using Section = ScriptReadReport::Section;
    const std::string head = "vst samples,\r\nK,\r\nK,\r\nC,\r\n\r\n";
    const std::string kick = " 1,  0, 0, 36,KICK,kick.wav,  1,127,  0,  0, 1.00, 1.00,  0,  0,\r\n";
    const std::string snare = " 2,  0, 0,1000,SN,snare.wav,  1,127,  0,  0, 1.00, 1.00,  0,  0,";
    const std::string hat = " 3,  0, 0, 42,HH,hat.wav,  1,127,  0,  0, 1.00, 1.00,  0,  0,\r\n";
    const std::string paths = " 1,/k.wav,\r\n 2,/s.wav,\r\n 3,/h.wav,\r\n";
    const std::string end = "-1\r\n\r\n";
    struct Case {
        std::string text;
        Section section;
        int line;
        std::size_t zones;
        std::size_t paths;
        std::string reason;
    };
    const std::vector<Case> cases = {
        {head + kick + snare + "\r\n" + hat + end + paths + end, Section::Zones, 7, 1, 3,
         "the key is longer than 3 characters"},
        {"vst samples,\r\nK,\r\nK,\r\nMe\r\n\r\n" + kick + end + paths + end, Section::Header, 4, 1,
         3, "no comma after the copyright"},
        {head + kick + hat, Section::Zones, 8, 2, 0,
         "the file ends before the \"-1\" line of the zone lines"},
        {head + kick + end + " 1,/k.wav,\r\n", Section::Paths, 10, 1, 1,
         "the file ends before the \"-1\" line of the path lines"},
        {head + kick + end + " 1,/k.wav\r\n" + end, Section::Paths, 9, 1, 0,
         "no comma after the path"},
        {head + kick + "1, 0, 0, 36,KICK,k.wav,  1,127,  0,  0, 1.00, 1.00,  0,  0, 9\r\n" + end,
         Section::Zones, 7, 1, 0, "more text after the last field"},
        {"vst samples,\r\nK,\r\n", Section::Header, 3, 0, 0, "the file ends in the header"},
        // Complete: no path section, no signature, or the signature right after the zones.
        {head + kick + end, Section::None, 0, 1, 0, ""},
        {head + kick + end + "Padsmith by Mervane", Section::None, 0, 1, 0, ""},
        {head + kick + end + paths + end, Section::None, 0, 1, 3, ""},
        {head, Section::None, 0, 0, 0, ""},
    };
    for (const Case& c : cases) {
        const auto read = parseKitScript(c.text);
        ASSERT_TRUE(read) << c.text;
        EXPECT_EQ(read->report.section, c.section) << c.text;
        EXPECT_EQ(read->report.lineNumber, c.line) << c.text;
        EXPECT_EQ(read->zones.size(), c.zones) << c.text;
        EXPECT_EQ(read->paths.size(), c.paths) << c.text;
        EXPECT_EQ(read->report.reason, c.reason) << c.text;
    }

    const auto read = parseKitScript(cases[0].text);
    EXPECT_EQ(read->report.zoneLines, 1);
    EXPECT_EQ(read->report.zoneLinesInFile, 3);
    EXPECT_EQ(readInPartText(read->report), "Only 1 of 3 zone lines could be read: line 7 \"" +
                                                snare.substr(0, 60) +
                                                "...\": the key is longer than 3 characters.");
    EXPECT_EQ(readInPartText(parseKitScript(cases[4].text)->report),
              "Only 0 of 1 path line could be read: line 9 \" 1,/k.wav\": no comma after the "
              "path.");
    EXPECT_EQ(readInPartText(parseKitScript(cases[3].text)->report),
              "Only 1 of 1 path line could be read: the file ends before the \"-1\" line of the "
              "path lines (line 10).");
    EXPECT_EQ(readInPartText(parseKitScript(cases[7].text)->report), "");
}

TEST(KitScriptText, DamagedGainsReadAsNeutral) {
    for (const std::string gain : {"inf", "-inf", "1e99", "nan", "-nan", "INF"}) {
        const auto read = parseKitScript(
            "vst samples,\r\nK,\r\nK,\r\nC,\r\n\r\n 1,  0, 0, 36,K,k.wav,  1,127,  0,  0," + gain +
            "," + gain + ",  0,  0,\r\n-1\r\n");
        ASSERT_TRUE(read);
        ASSERT_EQ(read->zones.size(), 1U) << gain;
        EXPECT_EQ(read->zones[0].gainLeft, 1.0F) << gain;
        EXPECT_EQ(read->zones[0].gainRight, 1.0F) << gain;
    }
}

TEST(KitScriptText, LongTextsAreCutToTheirFields) {
    const std::string longName(40, 'P');
    const std::string longPath(300, 'p');
    const std::string text = "vst samples,\r\n" + longPath + ",\r\nF,\r\nC,\r\n\r\n 1,  0, 0, 36," +
                             longName + "," + longPath +
                             ",  1,127,  0,  0, 1.00, 1.00,  0,  0,\r\n-1\r\n\r\n 1," + longPath +
                             ",\r\n-1\r\n";
    auto read = parseKitScript(text);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->kitName, std::string(256, 'p'));
    ASSERT_EQ(read->zones.size(), 1U);
    EXPECT_EQ(read->zones[0].padName, std::string(31, 'P'));
    EXPECT_EQ(read->zones[0].sampleName, std::string(256, 'p'));
    ASSERT_EQ(read->paths.size(), 1U);
    EXPECT_EQ(read->paths[0].path, std::string(256, 'p'));

    // The writer cuts too: the plug-in reads texts into fixed fields.
    KitDocument kit;
    kit.copyright = longPath;
    kit.pads[0].label = longName;
    kit.pads[0].append(makeZone(0, 36, longPath, 1, 127, 1.0F, longPath));
    read = parseKitScript(formatKitScript(kit));
    ASSERT_TRUE(read);
    EXPECT_EQ(read->copyright.size(), 256U);
    EXPECT_EQ(read->zones[0].padName.size(), 31U);
}

TEST(KitScriptText, TextsCanNeverBreakTheFile) {
    KitDocument kit;
    kit.copyright = "Me, myself\r\nand I";
    kit.pads[2].label = "SN,ARE";
    kit.pads[2].append(makeZone(2, 38, "snare, dry.wav", 1, 127, 1.0F, "/s/snare, dry.wav"));
    kit.pads[3].label = "  ";
    kit.pads[3].append(makeZone(3, 40, "", 1, 127, 1.0F, ""));
    kit.pads[3].append(makeZone(3, 41, "tom.wav", 1, 127, 1.0F, "/t/tom.wav"));

    const std::string text = formatKitScript(kit);
    EXPECT_NE(text.find("Me  myself  and I,\r\n"), std::string::npos);
    const auto read = parseKitScript(text);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->copyright, "Me  myself  and I");
    ASSERT_EQ(read->zones.size(), 3U);
    EXPECT_EQ(read->zones[0].padName, "SN ARE");
    EXPECT_EQ(read->zones[0].sampleName, "snare  dry.wav");
    EXPECT_EQ(read->zones[1].padName, "XXX");
    EXPECT_EQ(read->zones[1].sampleName, "???");
    EXPECT_EQ(read->zones[2].sampleName, "tom.wav");
    ASSERT_EQ(read->paths.size(), 3U);
    EXPECT_EQ(read->paths[0].path, "/s/snare  dry.wav");
    EXPECT_EQ(read->paths[1].path, "???");
    EXPECT_EQ(read->paths[2].path, "/t/tom.wav");
}

TEST(KitScriptText, ZonesAreWrittenUnderThePadTheySitIn) {
    KitDocument kit = rockKit();
    kit.pads[4].append(kit.pads[9].at(0)); // padNumber still says 10
    const auto read = parseKitScript(formatKitScript(kit));
    ASSERT_TRUE(read);
    ASSERT_EQ(read->zones.size(), 4U);
    EXPECT_EQ(read->zones[2].padNumber, 5);
    EXPECT_EQ(read->paths[2].padNumber, 5);
}

TEST(KitScriptText, WriteReadWriteIsStable) {
    KitDocument kit = rockKit();
    kit.pads[0].at(0).gainLeft = 1.5F;
    kit.pads[17].label = "CRASH";
    kit.pads[17].append(makeZone(17, 49, "crash.aif", 1, 127, 8.0F, "/c/crash.aif"));
    const std::string first = formatKitScript(kit);
    const auto read = parseKitScript(first);
    ASSERT_TRUE(read);
    KitDocument again;
    again.kitName = read->kitName;
    again.sampleFolder = read->sampleFolder;
    again.copyright = read->copyright;
    for (const SampleZone& zone : read->zones) {
        Pad& pad = again.pads[static_cast<std::size_t>(zone.padNumber - 1)];
        pad.append(zone);
        pad.label = zone.padName;
    }
    for (const auto& line : read->paths) {
        again.pads[static_cast<std::size_t>(line.padNumber - 1)]
            .at(static_cast<std::size_t>(line.zoneIndex))
            .sourcePath = line.path;
    }
    EXPECT_EQ(formatKitScript(again), first);
}

TEST(KitName, OneCleanNameForHeaderAndFolder) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"/kits/Rock Kit.txt", "Rock Kit"},
        {"/kits/a.b.txt", "a.b"},
        {"/kits/Plain", "Plain"},
        {"x.", "x"},
        {"/kits/.txt", ".txt"},
        {"/kits/Rock, Live.txt", "Rock  Live"},
        {"/kits/ \tRock .txt", "Rock"},
        {"/kits/Rock\r\nLive.txt", "Rock  Live"},
        {"/kits/, Rock,.txt", "Rock"},
        {"/kits/" + std::string(300, 'k') + ".txt", std::string(256, 'k')},
        // Nothing usable left, or a name that leaves the plug-in folder: refused.
        {".", ""},
        {"/kits/..txt", ""},
        {"/kits/...txt", ""},
        {"/kits/ .txt", ""},
        {"/kits/,.txt", ""},
        {"/kits/ , .txt", ""},
    };
    for (const auto& [path, name] : cases) {
        EXPECT_EQ(kitNameForScript(path), name) << path;
    }
#if !defined(_WIN32)
    // A Linux file name may hold a backslash; to the plug-in it would be a subfolder.
    EXPECT_EQ(kitNameForScript("/kits/a\\b.txt"), "");
#endif
    EXPECT_NE(unusableKitNameText("/kits/ .txt").find(" .txt"), std::string::npos);
}

} // namespace
} // namespace padsmith
