// SPDX-License-Identifier: GPL-3.0-or-later
// Grooves: reading MIDI files, timing their notes, and rendering them through a kit.
#include "MidiFiles.h"
#include "SampleFiles.h"
#include "audio/AudioFile.h"
#include "audio/GrooveRender.h"
#include "audio/Resampler.h"
#include "audio/VoiceMixer.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace padsmith {
namespace {

namespace fs = std::filesystem;
using namespace testing;

// One type 0 track of these events, 480 ticks a quarter note.
std::string oneTrack(const std::string& events) {
    return midiHeader(0, 1, 480) + midiTrack(events + endOfTrack());
}

struct BrokenFile {
    const char* name;
    std::string bytes;
    const char* reason; // a piece of the message
};

TEST(MidiFileReader, RefusesBrokenFilesWithAReason) {
    const std::string note = event(0, {0x99, 36, 100});
    const std::string track = midiTrack(note + endOfTrack());
    const BrokenFile cases[] = {
        {"not a MIDI file", "RIFF....WAVE", "not a Standard MIDI File"},
        {"header too short", "MThd" + bigEndian(4, 4) + bigEndian(0, 4), "header is cut short"},
        {"type 2", midiHeader(2, 1, 480) + track, "type 2"},
        {"unknown type", midiHeader(7, 1, 480) + track, "unknown MIDI file type 7"},
        {"type 0 with two tracks", midiHeader(0, 2, 480) + track + track, "must have one track"},
        {"no ticks a quarter", midiHeader(0, 1, 0) + track, "zero ticks"},
        {"bad SMPTE rate", midiHeader(0, 1, 0xEC28) + track, "SMPTE"},
        {"track longer than the file", midiHeader(0, 1, 480) + "MTrk" + bigEndian(100, 4) + note,
         "track 1 announces 100 bytes; the file holds 4"},
        {"file cut in a chunk header", midiHeader(0, 1, 480) + "MTr", "inside the header"},
        {"fewer tracks than announced", midiHeader(1, 3, 480) + track + track,
         "announces 3 tracks; the file holds 2"},
        {"running status at a track's start", oneTrack(event(0, {36, 100})), "running status"},
        {"running status in the second track",
         midiHeader(1, 2, 480) + track + midiTrack(event(0, {38, 90}) + endOfTrack()),
         "track 2: running status"},
        {"event cut by the track's end", midiHeader(0, 1, 480) + midiTrack(event(0, {0x99, 36})),
         "ends inside a 0x99 event"},
        {"time without an event", midiHeader(0, 1, 480) + midiTrack(note + quantity(10)),
         "before the event"},
        {"time over four bytes", oneTrack(bytes({0x81, 0x80, 0x80, 0x80, 0x00, 0x99, 36, 1})),
         "four bytes"},
        {"status byte among data", oneTrack(event(0, {0x99, 36, 0x90})), "status byte 0x90"},
        {"meta event past the track",
         midiHeader(0, 1, 480) + midiTrack(event(0, {0xFF, 1, 10, 65})), "meta event runs past"},
        {"tempo of two bytes", oneTrack(event(0, {0xFF, 0x51, 2, 7, 0xA1})), "tempo event of 2"},
        {"tempo of zero", oneTrack(tempoEvent(0, 0)), "zero microseconds"},
        {"system exclusive past the track",
         midiHeader(0, 1, 480) + midiTrack(event(0, {0xF0, 20, 1, 2})), "system-exclusive"},
        {"system message in a file", oneTrack(event(0, {0xF2, 1, 2})), "0xF2 has no place"},
    };
    for (const BrokenFile& broken : cases) {
        SCOPED_TRACE(broken.name);
        const MidiReadResult read = parseMidiFile(broken.bytes);
        EXPECT_FALSE(read.file.has_value());
        EXPECT_NE(read.error.find(broken.reason), std::string::npos) << read.error;
    }
}

TEST(MidiFileReader, MergesTheNotesOfEveryTrackInTimeAndTrackOrder) {
    // A tempo track, then kick and hats on tracks of their own, with the events a sequencer
    // leaves around notes: names, controllers, program changes, pitch bend, system exclusive,
    // note-offs and note-ons of velocity 0, an unknown chunk, running status through all kinds.
    const std::string tempo = tempoEvent(0, 600'000) + event(0, {0xFF, 0x58, 4, 3, 2, 24, 8});
    const std::string kick = event(0, {0xFF, 0x03, 4, 'K', 'i', 'c', 'k'}) + event(0, {0xC9, 5}) +
                             event(0, {0x99, 36, 100}) + event(240, {36, 0}) +
                             event(0, {0xF0, 2, 0x7E, 0xF7}) + event(240, {0x99, 36, 90}) +
                             event(0, {0x89, 36, 64}) + event(0, {0xE9, 0, 0x40});
    const std::string hats = event(0, {0x99, 42, 70}) + event(0, {0xB9, 7, 100}) +
                             event(480, {0x99, 42, 71}) + event(0, {46, 72}) +
                             event(0, {0xFF, 0x01, 1, 'x'}) + event(0, {42, 0});
    const std::string file = midiHeader(1, 3, 480) + midiTrack(tempo + endOfTrack()) + "XUNK" +
                             bigEndian(2, 4) + "??" + midiTrack(kick + endOfTrack(960)) +
                             midiTrack(hats); // no end-of-track: the last event ends it
    const MidiReadResult read = parseMidiFile(file);
    ASSERT_TRUE(read.file) << read.error;
    const MidiFile& midi = *read.file;
    EXPECT_EQ(midi.format, 1);
    EXPECT_EQ(midi.trackCount, 3);
    struct Expected {
        std::uint64_t tick;
        int note;
        int velocity;
    };
    const Expected expected[] = {
        {0, 36, 100}, {0, 42, 70}, {480, 36, 90}, {480, 42, 71}, {480, 46, 72}};
    ASSERT_EQ(midi.notes.size(), std::size(expected));
    for (std::size_t i = 0; i < midi.notes.size(); ++i) {
        EXPECT_EQ(midi.notes[i].tick, expected[i].tick) << i;
        EXPECT_EQ(midi.notes[i].note, expected[i].note) << i;
        EXPECT_EQ(midi.notes[i].velocity, expected[i].velocity) << i;
        EXPECT_EQ(midi.notes[i].channel, 9) << i;
    }
    ASSERT_EQ(midi.tempos.size(), 1U);
    EXPECT_EQ(midi.tempos[0].microsecondsPerQuarter, 600'000U);
    EXPECT_EQ(midi.endTick, 1440U);  // the kick track's end
    EXPECT_EQ(midi.barTicks, 1440U); // 3/4
}

// Frames at 48 kHz of the notes of `file`, or the reason it was refused.
std::vector<std::uint64_t> framesOf(const std::string& file, std::optional<double> bpm = {},
                                    int rate = 48000, std::uint64_t* length = nullptr) {
    const MidiReadResult read = parseMidiFile(file);
    EXPECT_TRUE(read.file) << read.error;
    if (!read.file) {
        return {};
    }
    const GrooveResult timed = timeGroove(*read.file, rate, bpm);
    EXPECT_TRUE(timed.groove) << timed.error;
    std::vector<std::uint64_t> frames;
    for (const GrooveHit& hit : timed.groove ? timed.groove->hits : std::vector<GrooveHit>{}) {
        frames.push_back(hit.frame);
    }
    if (length != nullptr && timed.groove) {
        *length = timed.groove->lengthFrames;
    }
    return frames;
}

TEST(GrooveTiming, TempoChangesLandOnTheRightSample) {
    // 120 beats a minute, then 60 from the third beat; the tempo lives on a track of its own.
    const std::string tempos = tempoEvent(0, 500'000) + tempoEvent(960, 1'000'000) + endOfTrack();
    std::string notes;
    for (int i = 0; i < 5; ++i) {
        notes += event(i == 0 ? 0 : 480, {0x99, 38, 100});
    }
    const std::string file =
        midiHeader(1, 2, 480) + midiTrack(tempos) + midiTrack(notes + endOfTrack());
    std::uint64_t length = 0;
    EXPECT_EQ(framesOf(file, {}, 48000, &length),
              (std::vector<std::uint64_t>{0, 24000, 48000, 96000, 144000}));
    // The note on the second bar's first beat makes the pass two bars long: 1 s at 120, 6 at 60.
    EXPECT_EQ(length, 48000U + 6 * 48000);

    // --tempo: the first tempo becomes the one asked for, the later change keeps its proportion.
    EXPECT_EQ(framesOf(file, 240.0), (std::vector<std::uint64_t>{0, 12000, 24000, 48000, 72000}));
    // Rounded down to a frame: one tick at 480 a quarter and 120 a minute is 45.9375 frames.
    EXPECT_EQ(framesOf(oneTrack(event(1, {0x99, 38, 1})), {}, 44100),
              (std::vector<std::uint64_t>{45}));
    // SMPTE time: 25 frames of 40 ticks is 1000 ticks a second, whatever the tempo events say.
    EXPECT_EQ(
        framesOf(midiHeader(0, 1, 0xE728) +
                 midiTrack(tempoEvent(0, 250'000) + event(1000, {0x99, 38, 1}) + endOfTrack())),
        (std::vector<std::uint64_t>{48000}));
}

TEST(GrooveTiming, ACursorWalksThePassesInTimeOrder) {
    const Groove groove{48000, {{0, 36, 100}, {0, 42, 80}, {500, 38, 90}}, 1000};
    const auto walk = [&groove](int passes, std::size_t most) {
        std::vector<std::uint64_t> frames;
        GrooveCursor cursor(groove, passes);
        for (auto hit = cursor.peek(); hit && frames.size() < most;
             cursor.take(), hit = cursor.peek()) {
            frames.push_back(hit->frame);
        }
        return frames;
    };
    EXPECT_EQ(walk(2, 100), (std::vector<std::uint64_t>{0, 0, 500, 1000, 1000, 1500}));
    EXPECT_EQ(walk(0, 8), (std::vector<std::uint64_t>{0, 0, 500, 1000, 1000, 1500, 2000, 2000}));
    EXPECT_EQ(GrooveCursor(groove, 3).endFrame(), 3000U);
    const Groove empty;
    EXPECT_FALSE(GrooveCursor(empty, 0).peek());
}

TEST(GrooveTiming, RefusesWhatCannotBePlayed) {
    const auto refusal = [](const std::string& file, std::optional<double> bpm, int rate) {
        const MidiReadResult read = parseMidiFile(file);
        return read.file ? timeGroove(*read.file, rate, bpm).error : read.error;
    };
    const std::string note = event(0, {0x99, 36, 100});
    EXPECT_NE(refusal(oneTrack(event(0, {0xC9, 1})), {}, 48000).find("no note-ons"),
              std::string::npos);
    EXPECT_NE(refusal(oneTrack(note), 0.5, 48000).find("tempo"), std::string::npos);
    EXPECT_NE(refusal(oneTrack(note), {}, 1000).find("rate"), std::string::npos);
    // A day of the slowest tempo between two notes.
    const std::string slow = tempoEvent(0, 0xFFFFFF) + note + event(0x0FFFFFFF, {0x99, 36, 1});
    EXPECT_NE(refusal(oneTrack(slow), {}, 48000).find("four hours"), std::string::npos);
}

// A kit whose zones play the given samples on keys, one pad each, velocities 1 to 127.
struct ZoneSpec {
    int pad;
    int key;
    std::string path;
    float gainLeft = 1.0F;
    float gainRight = 1.0F;
    int velocityLow = 1;
    int velocityHigh = 127;
};
KitDocument kitOf(const std::vector<ZoneSpec>& zones) {
    KitDocument kit;
    for (const ZoneSpec& want : zones) {
        SampleZone zone;
        zone.padNumber = want.pad + 1;
        zone.key = want.key;
        zone.sourcePath = want.path;
        zone.sampleName = fs::path(want.path).filename().string();
        zone.gainLeft = want.gainLeft;
        zone.gainRight = want.gainRight;
        zone.velocityLow = want.velocityLow;
        zone.velocityHigh = want.velocityHigh;
        kit.pads[static_cast<std::size_t>(want.pad)].append(zone);
    }
    return kit;
}

class GrooveRendering : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() /
                  ("padsmith-groove-" +
                   std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }

    std::string sample(const std::string& name, double frequency, std::uint32_t rate,
                       std::uint16_t channels, double seconds = 0.3) {
        const fs::path path = folder_ / name;
        writeFile(path, waveFile(1, channels, rate, 16,
                                 sineData(frequency, seconds, rate, channels, 16, 0.4)));
        return path.string();
    }

    fs::path folder_;
};

TEST_F(GrooveRendering, OneNoteIsTheResampledSampleAtTheZonesVolumes) {
    const std::string path = sample("tone.wav", 440.0, 44100, 1);
    const KitDocument kit = kitOf({{3, 38, path, 2.0F, 0.5F}});
    // One note a tick after the start: 50 frames of silence at 48 kHz, then the sample.
    const MidiReadResult read = parseMidiFile(oneTrack(event(1, {0x99, 38, 64})));
    ASSERT_TRUE(read.file);
    const Groove groove = *timeGroove(*read.file, 48000).groove;
    const Rendering rendering = renderGroove(kit, groove, 1);
    EXPECT_EQ(rendering.notesPlayed, 1U);
    EXPECT_TRUE(rendering.unreadable.empty());

    std::vector<float> expected;
    const PlayableSample played = readSample(path);
    Resampler resampler(44100, 1, 48000);
    resampler.process(played.data.data(), played.data.size(), expected);
    resampler.finish(expected);
    ASSERT_EQ(rendering.frames.size(), 2 * groove.lengthFrames); // the tail ends within the bar
    for (std::size_t i = 0; i < 2 * 50; ++i) {
        ASSERT_EQ(rendering.frames[i], 0.0F) << i;
    }
    for (std::size_t i = 0; i < expected.size(); ++i) {
        ASSERT_EQ(rendering.frames[100 + i], expected[i] * (i % 2 == 0 ? 2.0F : 0.5F)) << i;
    }
    for (std::size_t i = 100 + expected.size(); i < rendering.frames.size(); ++i) {
        ASSERT_EQ(rendering.frames[i], 0.0F) << i;
    }

    // Audition converts block by block as the voice plays; the render converts the sample once.
    // Both give the same sound.
    VoiceMixer audition(48000);
    audition.start(path, std::make_shared<PlayableSample>(played), nullptr, false, {2.0F, 0.5F});
    std::vector<float> heard;
    for (std::size_t block = 0; 2 * block * 441 < expected.size(); ++block) {
        audition.mix(441, heard);
    }
    for (std::size_t i = 0; i < expected.size(); ++i) {
        ASSERT_NEAR(heard[i], rendering.frames[100 + i], 1e-6F) << i;
    }
}

TEST_F(GrooveRendering, TheSameGrooveGivesTheSameBytesWithTheTailOfItsLastNote) {
    const KitDocument kit = kitOf({{0, 36, sample("kick.wav", 60.0, 44100, 1, 1.5)},
                                   {1, 38, sample("snare.wav", 200.0, 48000, 2)},
                                   {2, 42, sample("hat.wav", 3000.0, 96000, 2)}});
    std::string events;
    for (int beat = 0; beat < 8; ++beat) {
        events += event(beat == 0 ? 0 : 240, {0x99, 42, 60U + static_cast<unsigned>(beat)});
        events += event(0, {beat % 4 == 1 || beat % 4 == 3 ? 38U : 36U, 100});
    }
    const MidiReadResult read = parseMidiFile(oneTrack(events));
    ASSERT_TRUE(read.file);
    const Groove groove = *timeGroove(*read.file, 48000).groove;
    ASSERT_EQ(groove.lengthFrames, 96000U); // one bar at 120
    std::string first;
    std::string second;
    std::size_t frames = 0;
    for (std::string* bytes : {&first, &second}) {
        const Rendering rendering = renderGroove(kit, groove, 2);
        EXPECT_EQ(rendering.notesPlayed, 32U);
        // The last kick, 1.5 s long, starts 0.5 s before the end of the second pass; the
        // converter's filter may ring a few frames longer.
        frames = rendering.frames.size() / 2;
        EXPECT_NEAR(static_cast<double>(frames), 2 * 96000.0 + 48000.0, 64.0);
        std::string error;
        *bytes = encodeWave24(rendering.frames, 48000, error);
        ASSERT_FALSE(bytes->empty()) << error;
    }
    EXPECT_EQ(first, second);
    SampleFormat format;
    SampleBuffer data;
    ASSERT_TRUE(parseWave(first, format, data));
    EXPECT_EQ(format.bitsPerSample, 24);
    EXPECT_EQ(format.channels, 2);
    EXPECT_EQ(format.samplesPerSecond, 48000U);
    EXPECT_EQ(data.size(), frames * 6);
}

TEST_F(GrooveRendering, NotesPlayTheZonesALiveNotePlaysAndTheRestAreListed) {
    const std::string soft = sample("soft.wav", 200.0, 48000, 1);
    const std::string hard = sample("hard.wav", 300.0, 48000, 1);
    const std::string other = sample("other.wav", 400.0, 48000, 1);
    // Pad 2 answers key 38 softly, pad 5 hard; pad 1 has a zone on 38 that answers only 127.
    const KitDocument kit = kitOf({{4, 38, hard, 1.0F, 1.0F, 65, 127},
                                   {1, 38, soft, 1.0F, 1.0F, 1, 64},
                                   {0, 38, other, 1.0F, 1.0F, 127, 127},
                                   {5, 40, other}});
    struct Case {
        int velocity;
        std::optional<int> pad;
        std::optional<int> playedPad;
    };
    const Case cases[] = {{10, {}, 1}, {64, {}, 1}, {65, {}, 4}, {127, {}, 0},
                          {127, 4, 4}, {10, 4, {}}, {10, 7, {}}};
    for (const Case& c : cases) {
        const std::optional<ZonePlay> play = zonePlayed(kit, 38, c.velocity, c.pad);
        ASSERT_EQ(play.has_value(), c.playedPad.has_value()) << c.velocity;
        if (play) {
            EXPECT_EQ(play->zone.pad, *c.playedPad) << c.velocity;
        }
    }
    EXPECT_EQ(sweepNote(kit, 4), 38);
    EXPECT_EQ(sweepNote(kit, 9), -1);

    // A sweep of pad 5 plays only its upper layer; the lower velocities are listed as unplayed.
    const Groove sweep = velocitySweep(38, 48000);
    ASSERT_EQ(sweep.hits.size(), 16U);
    EXPECT_EQ(sweep.hits[1].frame, 12000U);
    EXPECT_EQ(sweep.hits[15].velocity, 127);
    const std::vector<UnplayedNote> unplayed = unplayedNotes(kit, sweep, 4);
    ASSERT_EQ(unplayed.size(), 1U);
    EXPECT_EQ(describeUnplayed(unplayed[0]), "note 38 (D1): 8 hits, velocities 8 to 64");
    EXPECT_EQ(renderGroove(kit, sweep, 1, 4).notesPlayed, 8U);

    // A zone whose sample is gone is silent and named.
    const KitDocument missing = kitOf({{0, 36, (folder_ / "gone.wav").string()}});
    const Rendering rendering = renderGroove(missing, velocitySweep(36, 48000), 1);
    EXPECT_EQ(rendering.notesPlayed, 0U);
    EXPECT_EQ(rendering.unreadable, std::vector<std::string>{(folder_ / "gone.wav").string()});
}

} // namespace
} // namespace padsmith
