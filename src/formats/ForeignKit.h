// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A drum kit as another sampler describes it, before it becomes a kit of ours: instruments on
// keys, each with layers of samples. Readers fill it from their format; the converter maps it
// onto a kit and says what did not fit.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace padsmith::formats {

// One sample of an instrument and when it plays.
struct ForeignLayer {
    std::filesystem::path file; // absolute, or relative to the working folder as the format gave it
    int velocityLow = 1;        // 1 to 127
    int velocityHigh = 127;
    double gainLeft = 1.0; // linear gain factors of each side
    double gainRight = 1.0;
    // The keys the sample covers in its format; both -1 when it plays on the instrument's key
    // only.
    int keyLow = -1;
    int keyHigh = -1;
};

struct ForeignInstrument {
    std::string name;
    int key = 60; // the MIDI note that plays it
    std::vector<ForeignLayer> layers;
};

struct ForeignKit {
    std::string name;
    std::string author;
    std::vector<ForeignInstrument> instruments;
    // What the reader met and the kit cannot hold, one sentence each, for the report.
    std::vector<std::string> notes;
};

// Progress of a long conversion: samples done of all. False stops the conversion (an export
// goes on: what it has copied stays).
using ConvertProgress = std::function<bool(int done, int total)>;

// Which key a Hydrogen instrument becomes: Hydrogen's own input note (36 + its index), or the
// MIDI output note the drumkit names.
enum class KeyChoice { Index, OutputNote };
// What becomes of alternates (round robin and random samples of one layer): the first is kept,
// or they share the layer's velocity window between them.
enum class AlternateChoice { First, Interleave };

// What an archive may unpack to. Drum kits hold hundreds of files and rarely more than a GiB;
// anything far beyond is a mistake or an attack on the disk.
struct ArchiveLimits {
    std::uint64_t entries = 10000;
    std::uint64_t bytes = std::uint64_t{4} << 30;
};

struct ReadOptions {
    KeyChoice keys = KeyChoice::Index;
    AlternateChoice alternates = AlternateChoice::First;
};

// Neighbouring velocity windows of `count` alternates sharing low..high, as even slices.
// Slice i of count; fewer slices than count when the window is too narrow.
std::pair<int, int> velocitySlice(int low, int high, int index, int count);

// Collects, per thing a kit cannot hold, the instruments or regions that have it, and says it
// in one sentence each: "pitch is not carried over: Kick, Snare and 3 more."
class Unsupported {
public:
    void add(const std::string& what, const std::string& where);
    void appendTo(std::vector<std::string>& notes) const;

private:
    std::vector<std::pair<std::string, std::vector<std::string>>> items_;
};

// "a, b, c and 4 more", each name once.
std::string listNames(const std::vector<std::string>& names, std::size_t shown = 6);

} // namespace padsmith::formats
