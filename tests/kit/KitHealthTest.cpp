// SPDX-License-Identifier: GPL-3.0-or-later
// The kit's health check: one small kit per kind of finding, each checked for its finding and
// for a fix that removes it without bringing another.
#include "kit/KitHealth.h"

#include "TempFolder.h"
#include "kit/HealthFolders.h"
#include "kit/SampleFolders.h"

#include <algorithm>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <string>
#include <vector>

namespace padsmith {
namespace {

constexpr int kD1 = 38;

SampleSound sound(double peak, std::uint32_t rate = 44100, int bits = 16, int channels = 1) {
    SampleSound s;
    s.rate = rate;
    s.bits = bits;
    s.channels = channels;
    s.peakDecibels = peak;
    return s;
}

// A kit made for one finding, with the facts of its samples and folders.
struct Scene {
    KitDocument kit;
    std::map<std::string, SampleSound> sounds;
    FolderFacts folders;

    // A zone on `pad` playing "/samples/<name>", measured as `facts`.
    SampleZone& add(int pad, int key, int low, int high, const std::string& name,
                    SampleSound facts = sound(-6.0)) {
        SampleZone zone;
        zone.padNumber = pad + 1;
        zone.key = key;
        zone.velocityLow = low;
        zone.velocityHigh = high;
        zone.sampleName = name;
        zone.sourcePath = "/samples/" + name;
        sounds.emplace(zone.sourcePath, facts);
        Pad& target = kit.pads[static_cast<std::size_t>(pad)];
        target.append(zone);
        return target.at(target.size() - 1);
    }

    HealthInputs inputs() const {
        HealthInputs in;
        in.sounds = [this](const std::string& path) -> const SampleSound* {
            const auto found = sounds.find(path);
            return found == sounds.end() ? nullptr : &found->second;
        };
        in.folders = &folders;
        return in;
    }
};

struct Case {
    const char* name;
    std::function<void(Scene&)> build;
    HealthKind kind;
    Severity severity;
    int pad;
    std::vector<int> rows;
    const char* message; // the finding's message contains this
    bool fixable;
    std::function<void(const KitDocument&)> fixed = {}; // what the fix left, when it matters
};

int velocityLow(const KitDocument& kit, int pad, int row) {
    return kit.pads[static_cast<std::size_t>(pad)].at(static_cast<std::size_t>(row)).velocityLow;
}
int velocityHigh(const KitDocument& kit, int pad, int row) {
    return kit.pads[static_cast<std::size_t>(pad)].at(static_cast<std::size_t>(row)).velocityHigh;
}

const std::vector<Case>& cases() {
    static const std::vector<Case> table = {
        {"second take with the same window",
         [](Scene& s) {
             s.add(0, kD1, 81, 127, "snare a.wav");
             s.add(0, kD1, 81, 127, "snare b.wav");
             s.add(0, kD1, 1, 80, "snare soft.wav", sound(-20.0));
         },
         HealthKind::NeverPlays,
         Severity::Error,
         0,
         {1},
         "Row 2 can never play: row 1 plays D1 at 81–127 first",
         true,
         [](const KitDocument& kit) {
             EXPECT_EQ(velocityLow(kit, 0, 0), 81);
             EXPECT_EQ(velocityHigh(kit, 0, 0), 103);
             EXPECT_EQ(velocityLow(kit, 0, 1), 104);
             EXPECT_EQ(velocityHigh(kit, 0, 1), 127);
         }},
        {"upper bound 0 takes every velocity first",
         [](Scene& s) {
             s.add(0, 36, 50, 0, "kick.wav");
             s.add(0, 36, 1, 40, "kick soft.wav");
         },
         HealthKind::NeverPlays,
         Severity::Error,
         0,
         {1},
         "Row 2 can never play: row 1 plays C1 at 1–127 first",
         true,
         [](const KitDocument& kit) { EXPECT_EQ(kit.pads[0].size(), 1U); }},
        {"window that holds no velocity",
         [](Scene& s) {
             s.add(0, 36, 1, 127, "kick.wav");
             s.add(0, 37, 100, 50, "stick.wav");
         },
         HealthKind::NeverPlays,
         Severity::Error,
         0,
         {1},
         "holds no velocity",
         true},
        {"velocities below the softest layer",
         [](Scene& s) { s.add(1, kD1, 20, 127, "snare.wav"); },
         HealthKind::VelocityGap,
         Severity::Warning,
         1,
         {0},
         "Velocities 1–19 of D1 play nothing",
         true,
         [](const KitDocument& kit) { EXPECT_EQ(velocityLow(kit, 1, 0), 1); }},
        {"a key split over two pads with a hole",
         [](Scene& s) {
             s.add(0, 40, 1, 50, "rim soft.wav");
             s.add(1, 40, 61, 127, "rim hard.wav");
         },
         HealthKind::VelocityGap,
         Severity::Warning,
         0,
         {0},
         "Velocities 51–60 of E1",
         true,
         [](const KitDocument& kit) {
             EXPECT_EQ(velocityHigh(kit, 0, 0), 55);
             EXPECT_EQ(velocityLow(kit, 1, 0), 56);
         }},
        {"the same note on two pads",
         [](Scene& s) {
             s.add(0, 36, 1, 127, "kick.wav");
             s.add(2, 36, 1, 127, "kick 2.wav");
         },
         HealthKind::DoubleNote,
         Severity::Error,
         0,
         {0},
         "Row 1 and pad 3 row 1 both define C1",
         true,
         [](const KitDocument& kit) {
             EXPECT_EQ(velocityHigh(kit, 0, 0), 63);
             EXPECT_EQ(velocityLow(kit, 2, 0), 64);
         }},
        {"overlap at the end of the later window",
         [](Scene& s) {
             s.add(0, 36, 1, 80, "kick.wav");
             s.add(2, 36, 60, 127, "kick 2.wav");
         },
         HealthKind::DoubleNote,
         Severity::Error,
         0,
         {0},
         "both define C1",
         true,
         [](const KitDocument& kit) { EXPECT_EQ(velocityLow(kit, 2, 0), 81); }},
        {"overlap at the start of the later window",
         [](Scene& s) {
             s.add(0, 36, 60, 127, "kick.wav");
             s.add(2, 36, 1, 80, "kick 2.wav");
         },
         HealthKind::DoubleNote,
         Severity::Error,
         0,
         {0},
         "both define C1",
         true,
         [](const KitDocument& kit) {
             EXPECT_EQ(velocityLow(kit, 2, 0), 1);
             EXPECT_EQ(velocityHigh(kit, 2, 0), 59);
         }},
        {"one zone on the note of many takes of another pad",
         [](Scene& s) {
             s.add(0, 36, 1, 127, "kick.wav");
             for (const char* take : {"take 1.wav", "take 2.wav", "take 3.wav", "take 4.wav"}) {
                 s.add(2, 36, 1, 127, take);
             }
         },
         HealthKind::DoubleNote,
         Severity::Error,
         0,
         {0},
         "Row 1 and 4 zones of other pads (pad 3 row 1, pad 3 row 2, pad 3 row 3, …) define C1 "
         "at 1–127",
         true,
         [](const KitDocument& kit) {
             EXPECT_EQ(velocityHigh(kit, 0, 0), 25);
             EXPECT_EQ(velocityLow(kit, 2, 3), 102);
         }},
        {"missing sample",
         [](Scene& s) {
             s.add(0, 36, 1, 127, "kick.wav").sourcePath = markMissing("/gone/kick.wav");
         },
         HealthKind::MissingSample,
         Severity::Error,
         0,
         {0},
         "/gone/kick.wav is missing",
         false},
        {"not a sample file",
         [](Scene& s) {
             SampleSound notes;
             notes.state = SampleSound::State::Unreadable;
             s.add(0, 36, 1, 127, "kick.flac", notes);
         },
         HealthKind::UnreadableSample,
         Severity::Error,
         0,
         {0},
         "kick.flac is not a WAVE",
         false},
        {"compressed data",
         [](Scene& s) {
             SampleSound adpcm = sound(-6.0, 44100, 4);
             adpcm.state = SampleSound::State::NotPcm;
             s.add(0, 36, 1, 127, "kick.wav", adpcm);
         },
         HealthKind::UnplayableFormat,
         Severity::Error,
         0,
         {0},
         "cannot play",
         false},
        {"one layer in another format",
         [](Scene& s) {
             s.add(0, kD1, 1, 40, "a.wav", sound(-20.0));
             s.add(0, kD1, 41, 90, "b.wav", sound(-12.0));
             s.add(0, kD1, 91, 127, "c.wav", sound(-3.0, 48000, 24, 2));
         },
         HealthKind::MixedFormat,
         Severity::Warning,
         0,
         {2},
         "Row 3 is 48 kHz 24-bit stereo among 44.1 kHz 16-bit mono layers",
         false},
        {"soft layer louder than the hard one",
         [](Scene& s) {
             s.add(0, kD1, 1, 64, "loud.wav", sound(-3.0));
             s.add(0, kD1, 65, 127, "quiet.wav", sound(-12.0));
         },
         HealthKind::LevelOrder,
         Severity::Warning,
         0,
         {0, 1},
         "Row 1 (velocity 1–64, -3.0 dB) of D1 is louder than row 2 (velocity 65–127, -12.0 dB)",
         true,
         [](const KitDocument& kit) {
             EXPECT_EQ(velocityLow(kit, 0, 0), 65);
             EXPECT_EQ(velocityHigh(kit, 0, 1), 64);
         }},
        {"a gain makes the soft layer louder",
         [](Scene& s) {
             s.add(0, kD1, 1, 64, "soft.wav", sound(-12.0)).gainLeft = 4.0F;
             s.kit.pads[0].at(0).gainRight = 4.0F;
             s.add(0, kD1, 65, 127, "hard.wav", sound(-6.0));
         },
         HealthKind::LevelOrder,
         Severity::Warning,
         0,
         {0, 1},
         "is louder than",
         true},
        {"file no kit plays",
         [](Scene& s) {
             s.add(0, 36, 1, 127, "kick.wav");
             s.folders.sampleFolder = "Rock";
             s.folders.unusedFiles = {"old kick.wav"};
         },
         HealthKind::UnusedFile,
         Severity::Note,
         -1,
         {},
         "Rock/old kick.wav",
         false},
        {"copy older than its source",
         [](Scene& s) {
             s.add(0, 36, 1, 127, "kick.wav");
             s.add(0, 37, 1, 127, "kick.wav");
             s.folders.staleSources = {"/samples/kick.wav"};
         },
         HealthKind::StaleCopy,
         Severity::Warning,
         0,
         {0, 1},
         "differs from its source",
         false},
        {"text the code page cannot hold",
         [](Scene& s) { s.add(0, 36, 1, 127, "Łódź.wav"); },
         HealthKind::CodePageText,
         Severity::Error,
         0,
         {0},
         "Ł",
         false},
        {"name that fails the name rule",
         [](Scene& s) { s.add(0, 36, 1, 127, "kick, dry.wav"); },
         HealthKind::SampleName,
         Severity::Error,
         0,
         {0},
         "\"kick, dry.wav\"",
         false},
    };
    return table;
}

std::vector<HealthFinding> ofKind(const std::vector<HealthFinding>& findings, HealthKind kind) {
    std::vector<HealthFinding> found;
    std::copy_if(findings.begin(), findings.end(), std::back_inserter(found),
                 [kind](const HealthFinding& f) { return f.kind == kind; });
    return found;
}

TEST(KitHealth, EachKindIsFoundAndItsFixRemovesItAndAddsNone) {
    for (const Case& row : cases()) {
        SCOPED_TRACE(row.name);
        Scene scene;
        row.build(scene);
        const HealthInputs inputs = scene.inputs();
        const std::vector<HealthFinding> before = checkKitHealth(scene.kit, inputs);
        const std::vector<HealthFinding> found = ofKind(before, row.kind);
        ASSERT_EQ(found.size(), 1U);
        const HealthFinding& finding = found.front();
        EXPECT_EQ(finding.severity, row.severity);
        EXPECT_EQ(finding.pad, row.pad);
        EXPECT_EQ(finding.rows, row.rows);
        EXPECT_NE(finding.message.find(row.message), std::string::npos) << finding.message;
        EXPECT_EQ(!finding.fixes.empty(), row.fixable);
        if (!row.fixable) {
            continue;
        }
        KitEdit edit;
        EXPECT_EQ(applyHealthFixes(scene.kit, row.kind, inputs, &edit), 1);
        const std::vector<HealthFinding> after = checkKitHealth(scene.kit, inputs);
        EXPECT_TRUE(ofKind(after, row.kind).empty());
        for (int k = 0; k < kHealthKindCount; ++k) {
            const auto kind = static_cast<HealthKind>(k);
            EXPECT_LE(ofKind(after, kind).size(), ofKind(before, kind).size())
                << healthKindName(kind);
        }
        if (row.fixed) {
            row.fixed(scene.kit);
        }
        // The combined edit undoes the fix as one step.
        KitDocument undone = scene.kit;
        applyEdit(undone, inverseOf(edit));
        Scene again;
        row.build(again);
        EXPECT_EQ(undone.pads, again.kit.pads);
    }
}

TEST(KitHealth, AHealthyKitHasNoFindingsAndKindNamesRoundTrip) {
    Scene scene;
    scene.add(0, 36, 1, 127, "kick.wav");
    scene.add(1, kD1, 1, 64, "snare soft.wav", sound(-12.0));
    scene.add(1, kD1, 65, 127, "snare hard.wav", sound(-3.0));
    scene.add(1, 39, 1, 127, "snare flam.wav", sound(-3.0));
    // A softer layer louder by half a decibel is as loud: takes of one layer vary that much.
    scene.add(2, 41, 1, 64, "tom soft.wav", sound(-6.0));
    scene.add(2, 41, 65, 127, "tom hard.wav", sound(-6.5));
    EXPECT_TRUE(checkKitHealth(scene.kit, scene.inputs()).empty());
    for (int k = 0; k < kHealthKindCount; ++k) {
        const auto kind = static_cast<HealthKind>(k);
        EXPECT_EQ(healthKindFromName(healthKindName(kind)), kind);
    }
    EXPECT_FALSE(healthKindFromName("nonsense"));
}

TEST(KitHealth, PadFindingsNeedNoAudioAndFollowTheTriggerOrder) {
    Scene scene;
    scene.add(0, kD1, 1, 127, "snare.wav");
    scene.add(3, kD1, 100, 127, "snare 2.wav"); // pad 1 plays first
    scene.add(3, 41, 1, 127, "tom.wav");
    scene.add(3, 41, 1, 127, "tom 2.wav");
    scene.add(3, 41, 1, 127, "tom 3.wav");
    const std::vector<HealthFinding> pad4 = padPlayFindings(scene.kit, 3);
    ASSERT_EQ(pad4.size(), 3U);
    EXPECT_EQ(pad4[0].message, "Row 1 can never play: pad 1 row 1 plays D1 at 1–127 first");
    EXPECT_EQ(pad4[0].fixes.size(), 1U); // another pad's zone: only removing it helps
    EXPECT_EQ(pad4[2].rows, std::vector<int>{3});
    EXPECT_EQ(pad4[2].message, "Row 4 can never play: row 2 plays F1 at 1–127 first");
    EXPECT_TRUE(padPlayFindings(scene.kit, 0).empty());
    // Three takes share their window in thirds, in one step.
    KitEdit edit;
    applyHealthFixes(scene.kit, HealthKind::NeverPlays, HealthInputs{}, &edit);
    EXPECT_EQ(velocityHigh(scene.kit, 3, 0), 42);
    EXPECT_EQ(velocityLow(scene.kit, 3, 2), 85);
    EXPECT_TRUE(padPlayFindings(scene.kit, 3).empty());
}

TEST(HealthFolders, UnusedFilesAndStaleCopiesInTheKitsOwnFolder) {
    namespace fs = std::filesystem;
    const test::TempFolder folder;
    const fs::path root = folder.path();
    const fs::path plugin = root / "Zarvo";
    const auto write = test::TempFolder::writeFile;
    write(root / "src" / "kick.wav", "kick, edited");
    write(root / "src" / "snare.wav", "snare");
    write(plugin / "Rock" / "kick.wav", "kick");   // stale copy
    write(plugin / "Rock" / "snare.wav", "snare"); // same as its source
    write(plugin / "Rock" / "tom.wav", "tom");     // named by the other script only
    write(plugin / "Rock" / "Old Crash.wav", "crash");
    write(plugin / "Other.txt", "vst samples,\r\nOther,\r\nRock,\r\nme,\r\n"
                                "1,0,0,45,TOM,TOM.WAV,1,127,0,0,1.00,1.00,0,0,\r\n-1\r\n");

    KitDocument kit;
    kit.kitName = "Rock";
    kit.sampleFolder = "Rock";
    for (const char* name : {"kick.wav", "snare.wav"}) {
        SampleZone zone;
        zone.sampleName = name;
        zone.sourcePath = (root / "src" / name).string();
        kit.pads[0].append(zone);
    }
    KitLocation location{plugin, false, CodePage()};
    FolderFacts facts = gatherFolderFacts(kit, location);
    EXPECT_EQ(facts.sampleFolder, "Rock");
    EXPECT_EQ(facts.unusedFiles, std::vector<std::string>{"Old Crash.wav"});
    EXPECT_EQ(facts.staleSources, std::vector<std::string>{(root / "src" / "kick.wav").string()});

    // A source handed to a wave editor is replaced at the next save anyway.
    kit.changedSources.insert((root / "src" / "kick.wav").string());
    EXPECT_TRUE(gatherFolderFacts(kit, location).staleSources.empty());
    // The shared folder belongs to every kit: nothing in it is unused by this one.
    kit.sampleFolder = kSharedSampleFolder;
    write(plugin / kSharedSampleFolder / "stray.wav", "x");
    location.shareSamples = true;
    EXPECT_TRUE(gatherFolderFacts(kit, location).unusedFiles.empty());

    // The copy the plug-in plays is the one under the sample name: a renamed sample whose name
    // someone else's file holds is stale, though the copy under the source's name is not.
    kit.sampleFolder = "Rock";
    location.shareSamples = false;
    kit.changedSources.clear();
    kit.pads[0].at(1).sampleName = "snare 2.wav";
    write(plugin / "Rock" / "snare 2.wav", "someone else's");
    EXPECT_EQ(gatherFolderFacts(kit, location).staleSources,
              (std::vector<std::string>{(root / "src" / "kick.wav").string(),
                                        (root / "src" / "snare.wav").string()}));
}

TEST(KitHealth, TwoPadsOnOneNoteCanMoveToAFreeKey) {
    Scene scene;
    scene.add(0, 38, 1, 127, "snare.wav");
    scene.add(1, 39, 1, 127, "clap.wav");
    scene.add(2, 38, 1, 127, "snare hard 01.wav");
    scene.add(2, 38, 1, 127, "snare hard 02.wav");
    const std::vector<HealthFinding> findings = checkKitHealth(scene.kit, HealthInputs{});
    const auto twice = std::find_if(findings.begin(), findings.end(), [](const HealthFinding& f) {
        return f.kind == HealthKind::DoubleNote;
    });
    ASSERT_NE(twice, findings.end());
    const auto move =
        std::find_if(twice->fixes.begin(), twice->fixes.end(),
                     [](const HealthFix& fix) { return fix.name == "Move to a free key"; });
    ASSERT_NE(move, twice->fixes.end());
    applyEdit(scene.kit, move->editFor(scene.kit));
    // The later pad, all its zones on that note, to the first key no pad plays: not 39.
    EXPECT_EQ(scene.kit.pads[2].at(0).key, 40);
    EXPECT_EQ(scene.kit.pads[2].at(1).key, 40);
    EXPECT_EQ(scene.kit.pads[0].at(0).key, 38);
    const std::vector<HealthFinding> after = checkKitHealth(scene.kit, HealthInputs{});
    EXPECT_TRUE(std::none_of(after.begin(), after.end(), [](const HealthFinding& f) {
        return f.kind == HealthKind::DoubleNote;
    }));
}

} // namespace
} // namespace padsmith
