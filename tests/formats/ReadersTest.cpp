// SPDX-License-Identifier: GPL-3.0-or-later
// Hydrogen drumkits and SFZ instruments read into kits: layouts, windows, gains, keys,
// inheritance, preprocessor, alternates, decoding and archives.
#include "audio/SampleFiles.h"
#include "formats/Convert.h"
#include "formats/SampleDecode.h"
#include "formats/hydrogen/HydrogenReader.h"
#include "formats/sfz/SfzReader.h"
#include "kit/FakeHost.h"
#include "kit/SampleFolders.h"

#include <archive.h>
#include <archive_entry.h>
#include <gtest/gtest.h>
#include <sndfile.h>
#include <tuple>

namespace padsmith::formats {
namespace {

namespace fs = std::filesystem;
using test::TempFolder;

std::string wave() {
    return testing::waveFile(1, 1, 44100, 16, std::string(400, '\1'));
}

Conversion convert(const fs::path& path, const fs::path& cache, ReadOptions options = {}) {
    std::string error;
    const std::optional<ForeignKit> foreign = readForeignKit(path, options, cache, error);
    EXPECT_TRUE(foreign) << error;
    return foreign ? *convertToKit(*foreign, cache) : Conversion{};
}

struct ZoneFacts {
    int key;
    int low;
    int high;
    float left;
    float right;
    std::string sample;
    bool operator==(const ZoneFacts&) const = default;
};

std::vector<ZoneFacts> facts(const Pad& pad) {
    std::vector<ZoneFacts> out;
    for (const SampleZone& zone : pad) {
        out.push_back({zone.key, zone.velocityLow, zone.velocityHigh, zone.gainLeft, zone.gainRight,
                       zone.sampleName});
    }
    return out;
}

bool mentions(const std::vector<std::string>& report, const std::string& text) {
    return std::any_of(report.begin(), report.end(), [&](const std::string& line) {
        return line.find(text) != std::string::npos;
    });
}

TEST(HydrogenWindows, NeighboursMeetWithoutGapsOrOverlaps) {
    struct Row {
        std::vector<std::pair<double, double>> windows;
        std::vector<std::pair<int, int>> expected;
    };
    const Row rows[] = {
        {{{0.0, 1.0}}, {{1, 127}}},
        {{{0.0, 0.5}, {0.5, 1.0}}, {{1, 63}, {64, 127}}},
        // a real kit's overlap and gap of about 0.004
        {{{0.0, 0.254}, {0.25, 0.5}, {0.504, 1.0}}, {{1, 32}, {33, 63}, {64, 127}}},
        {{{0.5, 1.0}}, {{64, 127}}},
        {{{0.0, 0.3}}, {{1, 38}}},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(mapHydrogenWindows(row.windows), row.expected);
    }
}

TEST(HydrogenReader, ReadsTheThreeLayoutsOnIndexKeys) {
    TempFolder temp;
    for (const char* name : {"k1.wav", "k2.wav", "sn.wav", "hh.wav"}) {
        temp.write(std::string("kit/") + name, wave());
    }
    temp.write("kit/drumkit.xml", R"(<?xml version="1.0"?>
<drumkit_info xmlns="http://www.hydrogen-music.org/drumkit">
 <name>Three</name>
 <instrumentList>
  <instrument><id>0</id><name>Kick</name><volume>1</volume><gain>2</gain>
   <pan_L>1</pan_L><pan_R>0.5</pan_R><midiOutNote>60</midiOutNote>
   <instrumentComponent><component_id>0</component_id><gain>1</gain>
    <layer><filename>k2.wav</filename><min>0.5</min><max>1</max><gain>1</gain></layer>
    <layer><filename>k1.wav</filename><min>0</min><max>0.5</max><gain>0.5</gain></layer>
   </instrumentComponent></instrument>
  <instrument><id>1</id><name>Empty</name></instrument>
  <instrument><id>2</id><name>Snare, top</name><volume>0.25</volume><muteGroup>1</muteGroup>
   <layer><filename>sn.wav</filename><min>0</min><max>1</max><gain>1</gain><pitch>2</pitch></layer>
  </instrument>
  <instrument><id>3</id><name>Hat</name><filename>hh.wav</filename><midiOutNote>60</midiOutNote></instrument>
 </instrumentList>
</drumkit_info>)");
    const Conversion index = convert(temp / "kit", temp / "cache");
    EXPECT_EQ(index.kit.pads[0].label, "Kick");
    EXPECT_EQ(facts(index.kit.pads[0]),
              (std::vector<ZoneFacts>{{36, 1, 63, 1.0F, 0.5F, "k1.wav"},
                                      {36, 64, 127, 2.0F, 1.0F, "k2.wav"}}));
    EXPECT_EQ(index.kit.pads[1].label, "Snare  top");
    EXPECT_EQ(facts(index.kit.pads[1]),
              (std::vector<ZoneFacts>{{38, 1, 127, 0.25F, 0.25F, "sn.wav"}}));
    EXPECT_EQ(facts(index.kit.pads[2]),
              (std::vector<ZoneFacts>{{39, 1, 127, 1.0F, 1.0F, "hh.wav"}}));
    EXPECT_TRUE(index.kit.pads[3].empty());
    EXPECT_TRUE(mentions(index.report, "Pitch is not carried over: Snare, top"));
    EXPECT_TRUE(mentions(index.report, "The mute group is not carried over"));

    // Output notes: the second instrument on 60 moves to the next free key, and says so.
    const Conversion output = convert(temp / "kit" / "drumkit.xml", temp / "cache",
                                      {KeyChoice::OutputNote, AlternateChoice::First});
    EXPECT_EQ(output.kit.pads[0].at(0).key, 60);
    EXPECT_EQ(output.kit.pads[1].at(0).key, 38);
    EXPECT_EQ(output.kit.pads[2].at(0).key, 61);
    EXPECT_TRUE(mentions(output.report, "Hat: C3 (60) is another pad's key"));
}

TEST(HydrogenReader, KeepsOrSlicesAlternatesAndLeavesOutPads19On) {
    TempFolder temp;
    std::string instruments;
    for (int i = 0; i < 20; ++i) {
        temp.write("kit/s" + std::to_string(i) + ".wav", wave());
        instruments +=
            "<instrument><name>I" + std::to_string(i) +
            "</name><sampleSelectionAlgo>RANDOM</sampleSelectionAlgo><layer><filename>s" +
            std::to_string(i) + ".wav</filename></layer><layer><filename>s" +
            std::to_string((i + 1) % 20) + ".wav</filename></layer></instrument>";
    }
    temp.write("kit/drumkit.xml",
               "<drumkit_info><instrumentList>" + instruments + "</instrumentList></drumkit_info>");
    const Conversion first = convert(temp / "kit", temp / "cache");
    EXPECT_EQ(first.kit.pads[17].size(), 1U);
    EXPECT_TRUE(
        mentions(first.report, "2 instrument(s) past the 18 pads were left out: I18 and I19"));
    EXPECT_TRUE(mentions(first.report, "20 alternate layer(s)"));
    EXPECT_TRUE(mentions(first.report, "Random or round-robin"));
    const Conversion sliced =
        convert(temp / "kit", temp / "cache", {KeyChoice::Index, AlternateChoice::Interleave});
    EXPECT_EQ(facts(sliced.kit.pads[0]),
              (std::vector<ZoneFacts>{{36, 1, 63, 1.0F, 1.0F, "s0.wav"},
                                      {36, 64, 127, 1.0F, 1.0F, "s1.wav"}}));
}

TEST(SfzReader, NoteNamesPutC4At60) {
    const std::pair<const char*, std::optional<int>> rows[] = {
        {"c4", 60},         {"C#4", 61},          {"db4", 61},           {"c-1", 0},
        {"g9", 127},        {"36", 36},           {"a#9", std::nullopt}, {"h4", std::nullopt},
        {"", std::nullopt}, {"12x", std::nullopt}};
    for (const auto& [text, key] : rows) {
        EXPECT_EQ(sfzNote(text), key) << text;
    }
}

TEST(SfzReader, InheritsDefinesIncludesAndPaths) {
    TempFolder temp;
    for (const char* name : {"drums/kick soft.wav", "drums/kick hard.wav", "drums/sn.wav",
                             "drums/tom.wav", "drums/hat1.wav", "drums/hat2.wav"}) {
        temp.write(std::string("lib/") + name, wave());
    }
    temp.write("lib/parts/hats.sfz", R"(<group> group_label=Hat seq_length=2
<region> sample=hat2.wav seq_position=2 key=$HAT
<region> sample=hat1.wav seq_position=1 key=$HAT
)");
    temp.write("lib/kit.sfz", R"(// a test library
#define $KICK c2
#define $HAT 42
<control> default_path=drums\ note_offset=0
<global> volume=-6 // everything quieter
<master> pan=-100
<group> group_label=Kick /* block
comment */ key=$KICK
<region> sample=kick soft.wav hivel=80 volume=0
<region> sample=kick hard.wav lovel=81
<master>
<group> lokey=45 hikey=50 pitch_keycenter=48 amplitude=50
<region> sample=tom.wav
<group>
<region> sample=sn.wav key=d2 pitch=3 ampeg_release=0.5
#include "parts/hats.sfz"
<group>
<region> sample=missing.wav key=70
<effect> type=reverb
)");
    const Conversion read = convert(temp / "lib/kit.sfz", temp / "cache");
    ASSERT_EQ(read.kit.pads[0].label, "Kick");
    EXPECT_EQ(facts(read.kit.pads[0]),
              (std::vector<ZoneFacts>{{36, 1, 80, 1.0F, 0.25F, "kick soft.wav"},
                                      {36, 81, 127, 0.5F, 0.25F, "kick hard.wav"}}));
    EXPECT_EQ(read.kit.pads[1].label, "sn");
    EXPECT_EQ(facts(read.kit.pads[1]),
              (std::vector<ZoneFacts>{{38, 1, 127, 0.5F, 0.5F, "sn.wav"}}));
    EXPECT_EQ(read.kit.pads[2].label, "Hat");
    EXPECT_EQ(facts(read.kit.pads[2]),
              (std::vector<ZoneFacts>{{42, 1, 127, 0.5F, 0.5F, "hat1.wav"}}));
    const SampleZone& tom = read.kit.pads[3].at(0);
    EXPECT_EQ(tom.key, 48);
    EXPECT_EQ(std::pair(tom.keyRangeLow, tom.keyRangeHigh), std::pair(45, 50));
    EXPECT_EQ(tom.gainLeft, 0.25F); // -6 dB and half the amplitude: -12 dB
    EXPECT_TRUE(isMarkedMissing(read.kit.pads[4].at(0).sourcePath));
    EXPECT_TRUE(mentions(read.report, "1 region(s) span several keys"));
    EXPECT_TRUE(mentions(read.report, "1 alternate region(s)"));
    EXPECT_TRUE(mentions(read.report, "ampeg_release (1 region) and pitch (1 region)"));
    EXPECT_TRUE(mentions(read.report, "<effect>"));
    EXPECT_TRUE(mentions(read.report, "1 sample file(s) are missing"));

    const Conversion sliced = convert(temp / "lib/kit.sfz", temp / "cache",
                                      {KeyChoice::Index, AlternateChoice::Interleave});
    EXPECT_EQ(facts(sliced.kit.pads[2]),
              (std::vector<ZoneFacts>{{42, 1, 63, 0.5F, 0.5F, "hat1.wav"},
                                      {42, 64, 127, 0.5F, 0.5F, "hat2.wav"}}));
}

TEST(Convert, KindsComeFromTheNames) {
    TempFolder temp;
    temp.write("kit/drumkit.xml", "<drumkit_info/>");
    temp.write("empty/readme.txt", "");
    const std::tuple<fs::path, KitKind, KitKind> rows[] = {
        {temp / "Drums.sfz", KitKind::Sfz, KitKind::Sfz},
        {temp / "Drums.SFZ", KitKind::Sfz, KitKind::Sfz},
        {temp / "kit", KitKind::HydrogenFolder, KitKind::HydrogenFolder},
        {temp / "kit/drumkit.xml", KitKind::HydrogenFolder, KitKind::HydrogenFolder},
        {temp / "empty", KitKind::Unknown, KitKind::HydrogenFolder},
        {temp / "New Kit", KitKind::Unknown, KitKind::HydrogenFolder},
        {temp / "Pack.h2drumkit", KitKind::HydrogenArchive, KitKind::HydrogenArchive},
        {temp / "Rock.txt", KitKind::KitScript, KitKind::KitScript},
        {temp / "other.xml", KitKind::Unknown, KitKind::Unknown},
        {temp / "kick.wav", KitKind::Unknown, KitKind::Unknown},
    };
    for (const auto& [path, in, out] : rows) {
        EXPECT_EQ(inputKind(path), in) << path;
        EXPECT_EQ(outputKind(path), out) << path;
    }
}

TEST(SfzReader, OffsetsShiftKeysAndMissingIncludesAreNamed) {
    TempFolder temp;
    temp.write("a.wav", wave());
    temp.write("kit.sfz", "<control> octave_offset=1 note_offset=-2\n#include \"gone.sfz\"\n"
                          "<region> sample=a.wav key=c3\n<region> sample=a.wav key=-1\n"
                          "<region> sample=a.wav key=127\n");
    const Conversion read = convert(temp / "kit.sfz", temp / "cache");
    EXPECT_EQ(read.kit.pads[0].at(0).key, 58); // c3 is 48, an octave up and two keys down
    EXPECT_TRUE(read.kit.pads[1].empty());
    EXPECT_TRUE(mentions(read.report, "The included file \"gone.sfz\" could not be read."));
    EXPECT_TRUE(mentions(read.report, "2 region(s) on keys outside 0 to 127 were left out."));
}

TEST(SfzReader, SurvivesSelfIncludesAndDefineBombs) {
    TempFolder temp;
    temp.write("loop.sfz", "#include \"loop.sfz\"\n<region> sample=a.wav\n");
    std::string error;
    EXPECT_FALSE(readSfz(temp / "loop.sfz", {}, error));
    EXPECT_NE(error.find("nested too deeply"), std::string::npos);
    std::string bomb = "#define $A xxxxxxxxxxxxxxxx\n";
    for (char c = 'B'; c <= 'Z'; ++c) {
        bomb += std::string("#define $") + c + " $" + static_cast<char>(c - 1) + "$" +
                static_cast<char>(c - 1) + "\n";
    }
    bomb += "<region> sample=$Z\n";
    EXPECT_FALSE(parseSfz(bomb, "x.sfz", {}, {}, error));
}

// Samples the plug-in cannot read are decoded once into the cache, at their rate and depth.
TEST(SampleDecode, FlacBecomesAWaveFileInTheCache) {
    TempFolder temp;
    SF_INFO info{};
    info.samplerate = 48000;
    info.channels = 2;
    info.format = SF_FORMAT_FLAC | SF_FORMAT_PCM_24;
    const fs::path flac = temp / "snare.flac";
    SNDFILE* file = sf_open(flac.string().c_str(), SFM_WRITE, &info);
    ASSERT_NE(file, nullptr);
    std::vector<int> frames(2 * 1000, 1 << 20);
    sf_writef_int(file, frames.data(), 1000);
    sf_close(file);
    temp.write("kit.sfz", "<region> key=38 sample=snare.flac\n");

    EXPECT_FALSE(pluginReads(flac));
    const Conversion read = convert(temp / "kit.sfz", temp / "cache");
    const fs::path decoded = read.kit.pads[0].at(0).sourcePath;
    EXPECT_EQ(read.decoded, 1);
    EXPECT_EQ(read.kit.pads[0].at(0).sampleName, "snare.wav");
    EXPECT_EQ(decoded.extension(), ".wav");
    EXPECT_TRUE(decoded.string().starts_with((temp / "cache").string()));
    EXPECT_TRUE(pluginReads(decoded));
    SF_INFO back{};
    SNDFILE* wav = sf_open(decoded.string().c_str(), SFM_READ, &back);
    ASSERT_NE(wav, nullptr);
    sf_close(wav);
    EXPECT_EQ(back.samplerate, 48000);
    EXPECT_EQ(back.channels, 2);
    EXPECT_EQ(back.frames, 1000);
    EXPECT_EQ(back.format & SF_FORMAT_SUBMASK, SF_FORMAT_PCM_24);
}

void addEntry(archive* writer, const std::string& name, const std::string& bytes) {
    archive_entry* entry = archive_entry_new();
    archive_entry_set_pathname(entry, name.c_str());
    archive_entry_set_filetype(entry, AE_IFREG);
    archive_entry_set_perm(entry, 0644);
    archive_entry_set_size(entry, static_cast<la_int64_t>(bytes.size()));
    archive_write_header(writer, entry);
    archive_write_data(writer, bytes.data(), bytes.size());
    archive_entry_free(entry);
}

TEST(DrumkitArchive, UnpacksIntoTheCacheAndNeverOutOfIt) {
    TempFolder temp;
    const fs::path path = temp / "Small.h2drumkit";
    archive* writer = archive_write_new();
    archive_write_add_filter_gzip(writer);
    archive_write_set_format_pax_restricted(writer);
    archive_write_open_filename(writer, path.string().c_str());
    addEntry(writer, "Small/drumkit.xml",
             "<drumkit_info><name>Small</name><instrumentList><instrument><name>Kick</name>"
             "<layer><filename>kick.wav</filename></layer></instrument></instrumentList>"
             "</drumkit_info>");
    addEntry(writer, "Small/kick.wav", wave());
    addEntry(writer, "../escaped.txt", "out");
    addEntry(writer, "/tmp/absolute-padsmith.txt", "out");
    archive_write_close(writer);
    archive_write_free(writer);

    const Conversion read = convert(path, temp / "cache");
    ASSERT_EQ(read.kit.pads[0].size(), 1U);
    EXPECT_TRUE(read.kit.pads[0].at(0).sourcePath.starts_with((temp / "cache").string()));
    EXPECT_FALSE(isMarkedMissing(read.kit.pads[0].at(0).sourcePath));
    EXPECT_FALSE(fs::exists(temp / "escaped.txt"));
    EXPECT_FALSE(fs::exists(temp / "cache/escaped.txt"));
    EXPECT_FALSE(fs::exists("/tmp/absolute-padsmith.txt"));
    std::string error;
    temp.write("broken.h2drumkit", "not an archive at all");
    EXPECT_FALSE(readForeignKit(temp / "broken.h2drumkit", {}, temp / "cache", error));
}

TEST(Convert, VolumeStepsAreNearestInDecibels) {
    const std::pair<double, float> rows[] = {
        {1.0, 1.0F},  {0.0, 0.25F}, {0.1, 0.25F}, {0.35, 0.25F}, {0.36, 0.5F}, {1.41, 1.0F},
        {1.42, 2.0F}, {4.8, 4.0F},  {5.0, 6.0F},  {5.1, 6.0F},   {7.0, 8.0F},  {100.0, 8.0F}};
    for (const auto& [gain, step] : rows) {
        EXPECT_EQ(nearestVolumeStep(gain), step) << gain;
    }
}

TEST(Convert, SampleNamesStayUniqueAcrossFolders) {
    TempFolder temp;
    temp.write("lib/kick/1.wav", wave());
    temp.write("lib/snare/1.wav", wave());
    temp.write("lib/x,y.wav", wave());
    temp.write("lib/kit.sfz", "<region> key=36 sample=kick/1.wav\n<region> key=38 "
                              "sample=snare/1.wav\n<region> key=40 sample=x,y.wav\n");
    const Conversion read = convert(temp / "lib/kit.sfz", temp / "cache");
    EXPECT_EQ(read.kit.pads[0].at(0).sampleName, "1.wav");
    EXPECT_EQ(read.kit.pads[1].at(0).sampleName, "snare 1.wav");
    // Every save copies a source under its own file name: the renamed one plays a link.
    EXPECT_EQ(fs::path(read.kit.pads[1].at(0).sourcePath).filename(), "snare 1.wav");
    EXPECT_EQ(TempFolder::read(read.kit.pads[1].at(0).sourcePath),
              TempFolder::read(temp / "lib/snare/1.wav"));
    EXPECT_EQ(read.kit.pads[2].at(0).sampleName, "x y.wav");
}

} // namespace
} // namespace padsmith::formats
