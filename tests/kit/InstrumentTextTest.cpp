// SPDX-License-Identifier: GPL-3.0-or-later
#include "kit/InstrumentText.h"

#include "kit/KitScript.h"

#include <clocale>
#include <gtest/gtest.h>
#include <string>

namespace padsmith {
namespace {

SampleZone snareZone() {
    SampleZone zone;
    zone.padNumber = 3;
    zone.key = 38;
    zone.padName = "Snare";
    zone.sampleName = "snare.wav";
    zone.keyRangeLow = 0;
    zone.keyRangeHigh = 0;
    zone.gainLeft = 1.0F;
    zone.gainRight = 2.0F;
    zone.sourcePath = "C:\\Samples\\snare.wav";
    return zone;
}

Pad snarePad() {
    Pad pad;
    pad.label = "Snare";
    pad.append(snareZone());
    SampleZone rim = snareZone();
    rim.sampleName = "rim shot.wav";
    rim.sourcePath = "/home/me/Samples/rim shot.wav";
    rim.velocityLow = 100;
    rim.gainLeft = 0.25F;
    rim.gainRight = 8.0F;
    rim.group = 12;
    rim.voices = 4;
    pad.append(rim);
    return pad;
}

const std::string kSnareText = "Zarvo Drumkit instrument,\r\n"
                               " 3,  0, 0, 38,Snare,snare.wav,  1,127,  0,  0, 1.0, 2.0,  0,  0,"
                               "C:\\Samples\\snare.wav,\r\n"
                               " 3,  0, 0, 38,Snare,rim shot.wav,100,127,  0,  0, 0.3, 8.0, 12,  4,"
                               "/home/me/Samples/rim shot.wav,\r\n"
                               "-1\r\n"
                               "\r\n"
                               "Padsmith by Mervane";

TEST(InstrumentText, WritesTheFormatByteForByteAndReadsItBack) {
    EXPECT_EQ(formatInstrument(snarePad(), 2), kSnareText);

    const InstrumentContent content = parseInstrument(kSnareText);
    EXPECT_TRUE(content.complete);
    EXPECT_EQ(content.stopLine, 0);
    ASSERT_EQ(content.zones.size(), 2U);
    EXPECT_EQ(content.zones[0], snareZone());
    // The one change a round trip makes: the gain has one decimal.
    SampleZone rim = snarePad().at(1);
    rim.gainLeft = 0.3F;
    EXPECT_EQ(content.zones[1], rim);
    EXPECT_EQ(describeIncompleteRead(content, "snare.zvi"), "");
}

TEST(InstrumentText, GainsHaveOneDecimalRoundedHalfAwayFromZero) {
    const std::pair<float, const char*> cases[] = {
        {0.25F, " 0.3,"},  {0.5F, " 0.5,"},  {1.0F, " 1.0,"},  {0.75F, " 0.8,"},
        {1.25F, " 1.3,"},  {8.0F, " 8.0,"},  {3.75F, " 3.8,"}, {-0.25F, " -0.3,"},
        {-0.04F, " 0.0,"}, {0.35F, " 0.3,"}, // the float nearest 0.35 lies below it
    };
    for (const auto& [gain, text] : cases) {
        Pad pad;
        SampleZone zone;
        zone.gainLeft = gain;
        pad.append(zone);
        const std::string out = formatInstrument(pad, 0);
        EXPECT_NE(out.find(std::string(",") + text), std::string::npos) << gain << " in " << out;
    }
}

TEST(InstrumentText, NumbersDoNotFollowTheLocale) {
    const std::string before = std::setlocale(LC_ALL, nullptr);
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) {
        std::setlocale(LC_ALL, "C.UTF-8");
    }
    const std::string text = formatInstrument(snarePad(), 2);
    const InstrumentContent content = parseInstrument(text);
    std::setlocale(LC_ALL, before.c_str());
    EXPECT_EQ(text, kSnareText);
    ASSERT_EQ(content.zones.size(), 2U);
    EXPECT_EQ(content.zones[0].gainRight, 2.0F);
}

TEST(InstrumentText, ReadsLineFeedsAndWhatOtherWritersProduce) {
    // LF only, wide gains, blanks around numbers and texts, a blank line between zones, an
    // unexpected header, and a pad number of 12 that the reader keeps.
    const std::string text = "something else,\n"
                             "12,1,2,36,  Kick  ,kick.wav,1,127,36,36,1.5,0.25,0,0,  /s/kick.wav,\n"
                             "\n"
                             "12,  0, 0, 37,Kick,b.wav,  1,127, 0, 0, 1.0, 1.0,  0,  0,/s/b.wav,\n"
                             "-1\n\nPadsmith by Mervane";
    const InstrumentContent content = parseInstrument(text);
    EXPECT_TRUE(content.complete);
    ASSERT_EQ(content.zones.size(), 2U);
    const SampleZone& kick = content.zones[0];
    EXPECT_EQ(kick.padNumber, 12);
    EXPECT_EQ(kick.reserved1, 1);
    EXPECT_EQ(kick.reserved2, 2);
    EXPECT_EQ(kick.padName, "Kick  "); // trailing blanks belong to the text
    EXPECT_EQ(kick.gainLeft, 1.5F);
    EXPECT_EQ(kick.gainRight, 0.25F);
    EXPECT_EQ(kick.sourcePath, "/s/kick.wav");
    EXPECT_EQ(content.zones[1].sampleName, "b.wav");
}

TEST(InstrumentText, StopsWhereTheFileStopsMakingSenseAndSaysWhere) {
    const std::string header = "Zarvo Drumkit instrument,\r\n";
    const std::string line = " 3,  0, 0, 38,Snare,snare.wav,  1,127,  0,  0, 1.0, 2.0,  0,  0,"
                             "/s/snare.wav,\r\n";
    struct Case {
        const char* name;
        std::string text;
        std::size_t zones;
        int stopLine;
        const char* message;
    };
    const Case cases[] = {
        {"empty file", "", 0, 0, "x.zvi is empty."},
        {"header only", header, 0, 0, "x.zvi was read only in part: it ends after line 1"},
        {"cut inside a line", header + line + line.substr(0, 30), 1, 3, "line 3 could not be read"},
        {"no end line", header + line + line, 2, 0, "it ends after line 3 without its end line"},
        {"four-digit key",
         header + line +
             " 3,  0, 0,1000,S,s.wav,  1,127,  0,  0, 1.0, 1.0,"
             "  0,  0,/s.wav,\r\n-1\r\n",
         1, 3, "line 3 could not be read:\n 3,  0, 0,1000"},
        {"path without its comma", header + line + line.substr(0, line.size() - 3) + "\r\n" + line,
         1, 3, "line 3"},
        {"a kit script", "vst samples,\r\nRock,\r\nRock,\r\n,\r\n\r\n" + line, 0, 2, "line 2"},
        {"binary",
         std::string("\x7f"
                     "ELF\0\0\n\x01\x02,\xff\n",
                     12),
         0, 2, "line 2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const InstrumentContent content = parseInstrument(c.text);
        EXPECT_FALSE(content.complete);
        EXPECT_EQ(content.zones.size(), c.zones);
        EXPECT_EQ(content.stopLine, c.stopLine);
        EXPECT_NE(describeIncompleteRead(content, "x.zvi").find(c.message), std::string::npos)
            << describeIncompleteRead(content, "x.zvi");
    }
}

TEST(InstrumentText, TextsAreBoundedAndCannotBreakTheFile) {
    Pad pad;
    pad.label = "AC,DC\r\nLive";
    SampleZone zone;
    zone.sampleName = std::string(300, 's');
    zone.sourcePath = "";
    pad.append(zone);
    const std::string text = formatInstrument(pad, 0);
    const InstrumentContent content = parseInstrument(text);
    ASSERT_TRUE(content.complete);
    ASSERT_EQ(content.zones.size(), 1U);
    EXPECT_EQ(content.zones[0].padName, "AC DC  Live");
    EXPECT_EQ(content.zones[0].sampleName, std::string(kTextMax, 's'));
    EXPECT_EQ(content.zones[0].sourcePath, "???");

    // A file with overlong fields is cut on reading (except the source path, which the import
    // refuses whole rather than cut into another file's path), and the message shows only a
    // bounded part of a broken line.
    const std::string longLine = " 1,  0, 0, 36," + std::string(100, 'p') + "," +
                                 std::string(1000, 'n') + ",  1,127,  0,  0, 1.0, 1.0,  0,  0," +
                                 std::string(5000, 'x') + ",\n";
    const InstrumentContent cut = parseInstrument("h,\n" + longLine + std::string(5000, 'y'));
    ASSERT_EQ(cut.zones.size(), 1U);
    EXPECT_EQ(cut.zones[0].padName.size(), kPadNameMax);
    EXPECT_EQ(cut.zones[0].sampleName.size(), kTextMax);
    EXPECT_EQ(cut.zones[0].sourcePath.size(), 5000U);
    EXPECT_EQ(cut.stopLine, 3);
    EXPECT_LT(cut.stopText.size(), 100U);
}

TEST(InstrumentText, PadKitScriptIsOnePadWithoutPathSection) {
    KitDocument kit;
    kit.kitName = "Rock";
    kit.sampleFolder = "Rock";
    kit.copyright = "Me";
    kit.pads[2] = snarePad();
    kit.pads[0].append(SampleZone{});
    const std::string text = formatPadKitScript(kit, 2);
    EXPECT_EQ(text, "vst samples,\r\nRock,\r\nRock,\r\nMe,\r\n\r\n"
                    " 3,  0, 0, 38,Snare,snare.wav,  1,127,  0,  0, 1.00, 2.00,  0,  0,\r\n"
                    " 3,  0, 0, 38,Snare,rim shot.wav,100,127,  0,  0, 0.25, 8.00, 12,  4,\r\n"
                    "-1\r\n\r\nPadsmith by Mervane");
    // The plug-in's reader and the editor's read it as a kit with that one pad.
    const auto content = parseKitScript(text);
    ASSERT_TRUE(content.has_value());
    EXPECT_EQ(content->zones.size(), 2U);
    EXPECT_TRUE(content->paths.empty());
}

} // namespace
} // namespace padsmith
