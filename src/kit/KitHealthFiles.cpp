// SPDX-License-Identifier: GPL-3.0-or-later
// The health check's findings about sample files: missing or unreadable samples, layers that do
// not match or do not grow louder, files in the sample folder, and texts the kit script cannot
// hold.
#include "kit/KitHealthParts.h"
#include "kit/KitText.h"
#include "kit/NoteNames.h"
#include "kit/SampleFolders.h"
#include "kit/ZoneCommands.h"
#include "platform/Files.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <limits>
#include <map>
#include <system_error>
#include <tuple>

namespace padsmith {

namespace {

// Louder by less than this is taken as equally loud: takes of one layer vary that much.
constexpr double kLevelTolerance = 1.0;

std::string rowsText(const std::vector<int>& rows) {
    std::string text = rows.size() == 1 ? "Row " : "Rows ";
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (i != 0) {
            text += i + 1 == rows.size() ? " and " : ", ";
        }
        text += std::to_string(rows[i] + 1);
    }
    return text;
}

std::string rateText(std::uint32_t rate) {
    char text[32];
    if (rate % 1000 == 0) {
        std::snprintf(text, sizeof text, "%u kHz", rate / 1000);
    } else {
        std::snprintf(text, sizeof text, "%g kHz", rate / 1000.0);
    }
    return text;
}

std::string formatText(const SampleSound& sound) {
    const char* channels = sound.channels == 1 ? "mono" : sound.channels == 2 ? "stereo" : nullptr;
    return rateText(sound.rate) + " " + std::to_string(sound.bits) + "-bit" +
           (sound.floatingPoint ? " float " : " ") +
           (channels != nullptr ? channels : std::to_string(sound.channels) + " channels");
}

std::string decibelText(double decibels) {
    if (std::isinf(decibels)) {
        return "silent";
    }
    char text[32];
    // No "-0.0 dB" for a level just below full scale.
    std::snprintf(text, sizeof text, "%.1f dB", std::abs(decibels) < 0.05 ? 0.0 : decibels);
    return text;
}

double gainDecibels(const SampleZone& zone) {
    const double gain = (static_cast<double>(zone.gainLeft) + zone.gainRight) / 2.0;
    return gain > 0.0 ? 20.0 * std::log10(gain) : -std::numeric_limits<double>::infinity();
}

// Findings of one kind about files, one per pad and file, with every row that plays it.
class FileFindings {
public:
    void add(HealthKind kind, Severity severity, int pad, int row, const std::string& file,
             const std::string& what) {
        Entry& entry = entries_[{pad, static_cast<int>(kind), file}];
        entry.severity = severity;
        entry.what = what;
        entry.rows.push_back(row);
    }
    void appendTo(std::vector<HealthFinding>& findings) const {
        for (const auto& [key, entry] : entries_) {
            HealthFinding finding;
            finding.pad = std::get<0>(key);
            finding.kind = static_cast<HealthKind>(std::get<1>(key));
            finding.severity = entry.severity;
            finding.rows = entry.rows;
            finding.message = rowsText(entry.rows) + ": " + entry.what;
            findings.push_back(std::move(finding));
        }
    }

private:
    struct Entry {
        Severity severity = Severity::Error;
        std::string what;
        std::vector<int> rows;
    };
    std::map<std::tuple<int, int, std::string>, Entry> entries_;
};

// The sound of each zone that the lookup knows and that is a playable file; nullptr elsewhere.
using PadSounds = std::vector<const SampleSound*>;

void checkFiles(const KitDocument& kit, const HealthInputs& inputs,
                std::array<PadSounds, kPadCount>& sounds, FileFindings& files) {
    for (int p = 0; p < kPadCount; ++p) {
        const Pad& pad = kit.pads[static_cast<std::size_t>(p)];
        PadSounds& padSounds = sounds[static_cast<std::size_t>(p)];
        padSounds.assign(pad.size(), nullptr);
        for (std::size_t r = 0; r < pad.size(); ++r) {
            const std::string& source = pad.at(r).sourcePath;
            const int row = static_cast<int>(r);
            // The texts are made for the zones that need them: fileNameOf looks at the disk.
            const auto missing = [&source] {
                return "the sample " + withoutMissingMark(source) + " is missing";
            };
            const auto name = [&source] { return fileNameOf(withoutMissingMark(source)); };
            if (!isCopyableSource(source)) {
                files.add(HealthKind::MissingSample, Severity::Error, p, row, source,
                          source.empty() || source == "???" ? "the sample file is not known"
                                                            : missing());
                continue;
            }
            const SampleSound* sound = inputs.sounds ? inputs.sounds(source) : nullptr;
            if (sound == nullptr) {
                std::error_code error;
                if (!inputs.sounds && inputs.statSources &&
                    !std::filesystem::is_regular_file(source, error)) {
                    files.add(HealthKind::MissingSample, Severity::Error, p, row, source,
                              missing());
                }
                continue;
            }
            switch (sound->state) {
            case SampleSound::State::Missing:
                files.add(HealthKind::MissingSample, Severity::Error, p, row, source, missing());
                break;
            case SampleSound::State::Unreadable:
                files.add(HealthKind::UnreadableSample, Severity::Error, p, row, source,
                          name() + " is not a WAVE or AIFF file the plug-in can read");
                break;
            case SampleSound::State::NotPcm:
                files.add(HealthKind::UnplayableFormat, Severity::Error, p, row, source,
                          name() + " holds compressed or unusual sample data (" +
                              std::to_string(sound->bits) + "-bit) that the plug-in cannot play");
                break;
            case SampleSound::State::Ok:
                padSounds[r] = sound;
                break;
            }
        }
    }
}

// Layers of a pad whose format differs from most of the pad's layers.
void checkFormats(int pad, const PadSounds& sounds, std::vector<HealthFinding>& findings) {
    std::vector<std::pair<const SampleSound*, std::vector<int>>> formats;
    for (std::size_t r = 0; r < sounds.size(); ++r) {
        if (sounds[r] == nullptr) {
            continue;
        }
        const auto same = std::find_if(formats.begin(), formats.end(), [&](const auto& known) {
            return known.first->sameFormat(*sounds[r]);
        });
        if (same == formats.end()) {
            formats.push_back({sounds[r], {static_cast<int>(r)}});
        } else {
            same->second.push_back(static_cast<int>(r));
        }
    }
    if (formats.size() < 2) {
        return;
    }
    // The format most layers have (the first of them on a tie) is taken as the intended one.
    const auto common = std::max_element(formats.begin(), formats.end(), [](auto& a, auto& b) {
        return a.second.size() < b.second.size();
    });
    for (auto it = formats.begin(); it != formats.end(); ++it) {
        if (it == common) {
            continue;
        }
        HealthFinding finding;
        finding.kind = HealthKind::MixedFormat;
        finding.severity = Severity::Warning;
        finding.pad = pad;
        finding.rows = it->second;
        finding.message = rowsText(it->second) + (it->second.size() == 1 ? " is " : " are ") +
                          formatText(*it->first) + " among " + formatText(*common->first) +
                          " layers";
        findings.push_back(std::move(finding));
    }
}

struct Layer {
    int row = 0;
    VelocitySpan window;
    double level = 0.0; // peak plus the zone's gain, dB
};

// Softer layers of a key louder than harder ones. The fix gives the velocity windows to the
// layers in the order of their levels, so the loudest plays at the top.
void checkLevels(const KitDocument& kit, int pad, const PadSounds& sounds,
                 const std::set<std::pair<int, int>>& silent,
                 std::vector<HealthFinding>& findings) {
    const Pad& zones = kit.pads[static_cast<std::size_t>(pad)];
    std::map<int, std::vector<Layer>> byKey;
    for (std::size_t r = 0; r < zones.size(); ++r) {
        if (sounds[r] == nullptr || silent.contains({pad, static_cast<int>(r)}) ||
            std::isinf(sounds[r]->peakDecibels)) {
            continue;
        }
        const SampleZone& zone = zones.at(r);
        byKey[zone.key].push_back(Layer{static_cast<int>(r), playedVelocities(zone),
                                        sounds[r]->peakDecibels + gainDecibels(zone)});
    }
    for (auto& [key, layers] : byKey) {
        std::sort(layers.begin(), layers.end(),
                  [](const Layer& a, const Layer& b) { return a.window.low < b.window.low; });
        std::vector<std::pair<const Layer*, const Layer*>> inversions;
        bool disjoint = true;
        for (std::size_t i = 0; i < layers.size(); ++i) {
            for (std::size_t j = i + 1; j < layers.size(); ++j) {
                if (layers[j].window.low <= layers[i].window.high) {
                    disjoint = false;
                } else if (layers[i].level > layers[j].level + kLevelTolerance) {
                    inversions.push_back({&layers[i], &layers[j]});
                }
            }
        }
        if (inversions.empty()) {
            continue;
        }
        HealthFinding finding;
        finding.kind = HealthKind::LevelOrder;
        finding.severity = Severity::Warning;
        finding.pad = pad;
        for (const auto& [soft, hard] : inversions) {
            finding.rows.push_back(soft->row);
            finding.rows.push_back(hard->row);
        }
        std::sort(finding.rows.begin(), finding.rows.end());
        finding.rows.erase(std::unique(finding.rows.begin(), finding.rows.end()),
                           finding.rows.end());
        const auto describe = [](const Layer& layer) {
            return "row " + std::to_string(layer.row + 1) + " (velocity " +
                   std::to_string(layer.window.low) + "–" + std::to_string(layer.window.high) +
                   ", " + decibelText(layer.level) + ")";
        };
        const Layer& soft = *inversions.front().first;
        const Layer& hard = *inversions.front().second;
        std::string message =
            describe(soft) + " of " + noteName(key) + " is louder than " + describe(hard);
        message[0] = 'R';
        if (inversions.size() > 1) {
            message += ", and " + std::to_string(inversions.size() - 1) + " more such pair" +
                       (inversions.size() > 2 ? "s" : "");
        }
        finding.message = message;
        if (disjoint) {
            // Windows by velocity, layers by level: the n-th softest layer takes the n-th window.
            std::vector<Layer> byLevel = layers;
            std::stable_sort(byLevel.begin(), byLevel.end(),
                             [](const Layer& a, const Layer& b) { return a.level < b.level; });
            struct Move {
                int row;
                std::int32_t low;
                std::int32_t high;
            };
            std::vector<Move> moves;
            for (std::size_t i = 0; i < layers.size(); ++i) {
                const SampleZone& window = zones.at(static_cast<std::size_t>(layers[i].row));
                moves.push_back({byLevel[i].row, window.velocityLow, window.velocityHigh});
            }
            finding.fixes.push_back({"Order Layers by Level", [pad, moves](const KitDocument& on) {
                                         KitEdit edit{"Order Layers by Level", {}};
                                         Pad& after = touchPad(edit, on, pad);
                                         for (const Move& move : moves) {
                                             SampleZone& zone =
                                                 after.at(static_cast<std::size_t>(move.row));
                                             zone.velocityLow = move.low;
                                             zone.velocityHigh = move.high;
                                         }
                                         return edit;
                                     }});
        }
        findings.push_back(std::move(finding));
    }
}

void checkFolders(const KitDocument& kit, const FolderFacts& folders, FileFindings& files,
                  std::vector<HealthFinding>& findings) {
    for (const std::string& name : folders.unusedFiles) {
        HealthFinding finding;
        finding.kind = HealthKind::UnusedFile;
        finding.severity = Severity::Note;
        finding.message = folders.sampleFolder + "/" + name +
                          " is in the kit's sample folder, but no kit plays it";
        findings.push_back(std::move(finding));
    }
    const std::set<std::string> stale(folders.staleSources.begin(), folders.staleSources.end());
    for (int p = 0; p < kPadCount; ++p) {
        const Pad& pad = kit.pads[static_cast<std::size_t>(p)];
        for (std::size_t r = 0; r < pad.size(); ++r) {
            const std::string& source = pad.at(r).sourcePath;
            if (stale.contains(source)) {
                files.add(HealthKind::StaleCopy, Severity::Warning, p, static_cast<int>(r), source,
                          "the copy of " + fileNameOf(source) + " in " + kit.sampleFolder +
                              " differs from its source, which was changed since it was copied");
            }
        }
    }
}

void checkTexts(const KitDocument& kit, const HealthInputs& inputs,
                std::vector<HealthFinding>& findings, FileFindings& files) {
    // One finding a zone (or kit string): the first of its texts the code page cannot hold.
    std::set<std::pair<int, int>> named;
    for (const UnheldText& unheld : findUnheldTexts(kit, inputs.codePage)) {
        if (!named.insert({unheld.pad, unheld.row}).second) {
            continue;
        }
        HealthFinding finding;
        finding.kind = HealthKind::CodePageText;
        finding.pad = unheld.pad;
        if (unheld.row >= 0) {
            finding.rows = {unheld.row};
        }
        finding.message = unheldTextMessage(unheld, inputs.codePage);
        findings.push_back(std::move(finding));
    }
    for (int p = 0; p < kPadCount; ++p) {
        const Pad& pad = kit.pads[static_cast<std::size_t>(p)];
        for (std::size_t r = 0; r < pad.size(); ++r) {
            const std::string& name = pad.at(r).sampleName;
            // A character the code page lacks is reported with the other texts above.
            if (!inputs.codePage.canHold(name)) {
                continue;
            }
            if (const std::string problem = sampleNameProblem(name, inputs.codePage);
                !problem.empty()) {
                files.add(HealthKind::SampleName, Severity::Error, p, static_cast<int>(r), name,
                          "the sample name \"" + name + "\": " + problem);
            }
        }
    }
}

} // namespace

std::vector<HealthFinding> sampleFindings(const KitDocument& kit, const HealthInputs& inputs,
                                          const std::set<std::pair<int, int>>& silent) {
    std::vector<HealthFinding> findings;
    FileFindings files;
    std::array<PadSounds, kPadCount> sounds;
    checkFiles(kit, inputs, sounds, files);
    if (inputs.sounds) {
        for (int p = 0; p < kPadCount; ++p) {
            checkFormats(p, sounds[static_cast<std::size_t>(p)], findings);
            checkLevels(kit, p, sounds[static_cast<std::size_t>(p)], silent, findings);
        }
    }
    if (inputs.folders != nullptr) {
        checkFolders(kit, *inputs.folders, files, findings);
    }
    checkTexts(kit, inputs, findings, files);
    files.appendTo(findings);
    return findings;
}

} // namespace padsmith
