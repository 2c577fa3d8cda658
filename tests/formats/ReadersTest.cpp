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
#include <cstdio>
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

// Each row is one instrument's layers in file order (window and sample) and the sample Hydrogen
// plays at each velocity, as runs of velocities: the first layer in file order that holds
// velocity / 127, else the one whose lower end is nearest.
TEST(HydrogenLayers, EachVelocityPlaysWhatHydrogenPlays) {
    struct Layer {
        double min;
        double max;
        const char* file;
    };
    struct Run {
        int low;
        int high;
        std::string file;
        bool operator==(const Run&) const = default;
    };
    struct Row {
        const char* what;
        std::vector<Layer> layers;
        std::vector<Run> plays;
        const char* note; // in the report, or empty
    };
    const Row rows[] = {
        {"overlapping, with a catch-all last (Millo's Tom Low)",
         {{0, 0.3, "01"}, {0.3, 0.6, "02"}, {0.6, 0.8, "03"}, {0, 1, "04"}},
         {{1, 38, "01"}, {39, 76, "02"}, {77, 101, "03"}, {102, 127, "04"}},
         ""},
        {"nested",
         {{0.3, 0.6, "mid"}, {0, 1, "all"}},
         {{1, 38, "all"}, {39, 76, "mid"}, {77, 127, "all"}},
         ""},
        {"catch-all first",
         {{0, 1, "all"}, {0, 0.5, "soft"}},
         {{1, 127, "all"}},
         "never plays (an earlier layer holds all their velocities) were left out: T (soft.wav)"},
        {"a gap: the nearest lower end",
         {{0, 0.4, "lo"}, {0.6, 1, "hi"}},
         {{1, 50, "lo"}, {51, 127, "hi"}},
         ""},
        {"the top short of 1 (Colombo's Snare1)",
         {{0, 0.5, "soft"}, {0.5, 0.9957, "loud"}},
         {{1, 63, "soft"}, {64, 127, "loud"}},
         ""},
        {"nothing at a distance of 1",
         {{0, 0.5, "soft"}},
         {{1, 126, "soft"}},
         "Hydrogen plays nothing at some velocities of T"},
    };
    for (const Row& row : rows) {
        std::string layers;
        for (const Layer& layer : row.layers) {
            layers += "<layer><filename>" + std::string(layer.file) + ".wav</filename><min>" +
                      std::to_string(layer.min) + "</min><max>" + std::to_string(layer.max) +
                      "</max></layer>";
        }
        std::string error;
        const std::optional<ForeignKit> kit =
            parseHydrogenDrumkit("<drumkit_info><instrumentList><instrument><name>T</name>" +
                                     layers + "</instrument></instrumentList></drumkit_info>",
                                 "/kit", {}, error);
        ASSERT_TRUE(kit) << error;
        std::vector<Run> plays;
        for (const ForeignLayer& layer : kit->instruments.at(0).layers) {
            plays.push_back({layer.velocityLow, layer.velocityHigh, layer.file.stem().string()});
        }
        EXPECT_EQ(plays, row.plays) << row.what;
        if (*row.note != '\0') {
            EXPECT_TRUE(mentions(kit->notes, row.note)) << row.what;
        }
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
    // Hydrogen skips the instrument with nothing in it: the next ones take its key.
    EXPECT_EQ(index.kit.pads[1].label, "Snare  top");
    EXPECT_EQ(facts(index.kit.pads[1]),
              (std::vector<ZoneFacts>{{37, 1, 127, 0.25F, 0.25F, "sn.wav"}}));
    EXPECT_EQ(facts(index.kit.pads[2]),
              (std::vector<ZoneFacts>{{38, 1, 127, 1.0F, 1.0F, "hh.wav"}}));
    EXPECT_TRUE(mentions(index.report, "Hydrogen skips, so that the next ones take their keys: "
                                       "Empty"));
    EXPECT_TRUE(index.kit.pads[3].empty());
    EXPECT_TRUE(mentions(index.report, "Pitch is not carried over: Snare, top"));
    EXPECT_TRUE(mentions(index.report, "The mute group is not carried over"));

    // Output notes: the second instrument on 60 moves to the next free key, and says so.
    const Conversion output = convert(temp / "kit" / "drumkit.xml", temp / "cache",
                                      {KeyChoice::OutputNote, AlternateChoice::First});
    EXPECT_EQ(output.kit.pads[0].at(0).key, 60);
    EXPECT_EQ(output.kit.pads[1].at(0).key, 37);
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

// What plays on which key: byte-order marks, release regions and key= as SFZ has them.
TEST(SfzReader, KeysAndHitsAsSfzPlaysThem) {
    struct Row {
        const char* what;
        std::string text;
        std::vector<std::pair<int, std::string>> zones; // key and sample of every zone
        const char* note;
    };
    const std::string bom = "\xEF\xBB\xBF";
    const Row rows[] = {
        {"a mark before #define",
         bom + "#define $K 40\n<region> sample=a.wav key=$K\n",
         {{40, "a.wav"}},
         ""},
        {"a mark before #include", bom + "#include \"inc.sfz\"\n", {{41, "b.wav"}}, ""},
        {"a release region before the hit",
         "<region> sample=b.wav key=36 trigger=release\n<region> sample=a.wav key=36\n",
         {{36, "a.wav"}},
         "1 release region(s) (trigger=release or release_key) were left out"},
        {"release_key too",
         "<region> sample=b.wav key=36 trigger=release_key\n<region> sample=a.wav key=36 "
         "trigger=attack\n",
         {{36, "a.wav"}},
         "1 release region(s)"},
        {"key= over a group's range",
         "<group> lokey=30 hikey=40\n<region> sample=a.wav key=36\n",
         {{36, "a.wav"}},
         ""},
        {"one key, its pitch centre elsewhere",
         "<region> sample=a.wav key=36 pitch_keycenter=60\n",
         {{36, "a.wav"}},
         ""},
    };
    TempFolder temp;
    temp.write("a.wav", wave());
    temp.write("b.wav", wave());
    temp.write("inc.sfz", bom + "<region> sample=b.wav key=41\n");
    for (const Row& row : rows) {
        temp.write("kit.sfz", row.text);
        const Conversion read = convert(temp / "kit.sfz", temp / "cache");
        std::vector<std::pair<int, std::string>> zones;
        for (const Pad& pad : read.kit.pads) {
            for (const SampleZone& zone : pad) {
                zones.emplace_back(zone.key, zone.sampleName);
                EXPECT_EQ(std::pair(zone.keyRangeLow, zone.keyRangeHigh),
                          std::pair(zone.key, zone.key))
                    << row.what;
            }
        }
        EXPECT_EQ(zones, row.zones) << row.what;
        if (*row.note != '\0') {
            EXPECT_TRUE(mentions(read.report, row.note)) << row.what;
        }
    }
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
    fs::create_directories(temp / "outside");
    temp.write("outside.wav", wave());
    const fs::path path = temp / "Small.h2drumkit";
    archive* writer = archive_write_new();
    archive_write_add_filter_gzip(writer);
    archive_write_set_format_pax_restricted(writer);
    archive_write_open_filename(writer, path.string().c_str());
    addEntry(writer, "Small/drumkit.xml",
             "<drumkit_info><name>Small</name><instrumentList><instrument><name>Kick</name>"
             "<layer><filename>kick.wav</filename></layer></instrument>"
             "<instrument><name>Out</name><layer><filename>../../outside.wav</filename></layer>"
             "</instrument><instrument><name>Abs</name><layer><filename>" +
                 (temp / "outside.wav").string() +
                 "</filename></layer></instrument></instrumentList></drumkit_info>");
    addEntry(writer, "Small/kick.wav", wave());
    addEntry(writer, "../escaped.txt", "out");
    addEntry(writer, "/tmp/absolute-padsmith.txt", "out");
    archive_entry* link = archive_entry_new();
    archive_entry_set_pathname(link, "Small/link.wav");
    archive_entry_set_filetype(link, AE_IFLNK);
    archive_entry_set_symlink(link, "/etc/passwd");
    archive_write_header(writer, link);
    archive_entry_free(link);
    archive_write_close(writer);
    archive_write_free(writer);

    const Conversion read = convert(path, temp / "cache");
    ASSERT_EQ(read.kit.pads[0].size(), 1U);
    EXPECT_TRUE(read.kit.pads[1].empty()); // neither sample outside the archive is taken
    EXPECT_TRUE(read.kit.pads[0].at(0).sourcePath.starts_with((temp / "cache").string()));
    EXPECT_FALSE(isMarkedMissing(read.kit.pads[0].at(0).sourcePath));
    EXPECT_FALSE(fs::exists(temp / "escaped.txt"));
    EXPECT_FALSE(fs::exists(temp / "cache/escaped.txt"));
    EXPECT_FALSE(fs::exists("/tmp/absolute-padsmith.txt"));
    EXPECT_FALSE(fs::exists(temp / "cache/unpacked/Small/link.wav"));
    EXPECT_TRUE(mentions(read.report, "3 archive entries were refused: ../escaped.txt (leads out "
                                      "of the archive), /tmp/absolute-padsmith.txt (absolute "
                                      "path) and Small/link.wav (link)"));
    EXPECT_TRUE(mentions(read.report, "2 sample(s) named outside the archive were refused"));
    std::string error;
    temp.write("broken.h2drumkit", "not an archive at all");
    EXPECT_FALSE(readForeignKit(temp / "broken.h2drumkit", {}, temp / "cache", error));
}

// A tar header alone, as a bomb begins: the size it claims is all the check reads.
std::string tarHeader(const std::string& name, std::uint64_t size) {
    std::string header(512, '\0');
    std::copy(name.begin(), name.end(), header.begin());
    std::snprintf(&header[100], 8, "%07o", 0644U);
    std::snprintf(&header[108], 8, "%07o", 0U);
    std::snprintf(&header[116], 8, "%07o", 0U);
    std::snprintf(&header[124], 12, "%011llo", static_cast<unsigned long long>(size));
    std::snprintf(&header[136], 12, "%011o", 0U);
    header[156] = '0';
    std::copy_n("ustar", 6, &header[257]);
    header[263] = '0';
    header[264] = '0';
    std::fill_n(&header[148], 8, ' ');
    unsigned sum = 0;
    for (const char c : header) {
        sum += static_cast<unsigned char>(c);
    }
    std::snprintf(&header[148], 8, "%06o", sum);
    return header;
}

TEST(DrumkitArchive, RefusesBombsBeforeWritingAnything) {
    TempFolder temp;
    // 5 GiB claimed by a file of one header: refused from the header, nothing written.
    temp.write("bomb.h2drumkit", tarHeader("Bomb/drumkit.xml", std::uint64_t{5} << 30));
    std::string error;
    EXPECT_FALSE(readForeignKit(temp / "bomb.h2drumkit", {}, temp / "cache", error));
    EXPECT_NE(error.find("more than 4.0 GiB"), std::string::npos) << error;
    EXPECT_FALSE(fs::exists(temp / "cache/unpacked"));

    std::string many;
    for (int i = 0; i < 4; ++i) {
        many += tarHeader("Many/f" + std::to_string(i), 0);
    }
    many += std::string(1024, '\0');
    temp.write("many.h2drumkit", many);
    ArchiveLimits limits;
    limits.entries = 3;
    EXPECT_FALSE(readForeignKit(temp / "many.h2drumkit", {}, temp / "cache", error, limits));
    EXPECT_NE(error.find("more than 3 entries"), std::string::npos) << error;
    limits.bytes = 1;
    limits.entries = 10;
    EXPECT_FALSE(readForeignKit(temp / "many.h2drumkit", {}, temp / "cache", error, limits));
    EXPECT_NE(error.find("holds no drumkit.xml"), std::string::npos) << error;
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
