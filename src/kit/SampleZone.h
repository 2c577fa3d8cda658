// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace padsmith {

inline constexpr int kPadCount = 18;
inline constexpr std::size_t kPadNameMax = 31; // characters of a pad name
inline constexpr std::size_t kTextMax = 256;   // characters of kit strings, sample names, paths
inline constexpr const char* kFormatTag = "vst samples";
inline constexpr const char* kUnnamedPad = "XXX";
inline constexpr const char* kUntitledKit = "Untitled";
inline constexpr const char* kSharedSampleFolder = "ZARVO SAMPLES";

// One sample of a pad: which file plays, on which key and velocities, how loud.
// The field order is the order of a zone line in a kit script.
struct SampleZone {
    std::int32_t padNumber = 1; // 1 to 18: pad index + 1
    std::int32_t reserved1 = 0;
    std::int32_t reserved2 = 0;
    std::int32_t key = 60;
    std::string padName = kUnnamedPad; // at most kPadNameMax characters
    std::string sampleName;            // file name inside the kit's sample folder
    std::int32_t velocityLow = 1;
    std::int32_t velocityHigh = 127;
    std::int32_t keyRangeLow = 0;
    std::int32_t keyRangeHigh = 0;
    float gainLeft = 1.0F; // gain factor 0.25 to 8.0
    float gainRight = 1.0F;
    std::int32_t group = 0;
    std::int32_t voices = 0;
    std::string sourcePath; // where the sample is copied from when the kit is saved

    bool operator==(const SampleZone&) const = default;
};

inline constexpr int kLowestVelocity = 1;
inline constexpr int kHighestVelocity = 127;

// Velocities low to high, both included; empty when low > high.
struct VelocitySpan {
    int low = kLowestVelocity;
    int high = kHighestVelocity;

    bool contains(int velocity) const { return low <= velocity && velocity <= high; }
    bool empty() const { return low > high; }
    bool operator==(const VelocitySpan&) const = default;
};

// The velocities a zone answers, as a note-on finds it: a window whose upper bound is 0 answers
// every velocity; other windows are cut to 1..127 and may come out empty.
VelocitySpan playedVelocities(const SampleZone& zone);
// The same, nothing when it is empty.
std::optional<VelocitySpan> answeredVelocities(const SampleZone& zone);

// Back to the defaults, keeping padNumber and the key range: a reader that reuses one scratch
// zone for many lines relies on that.
void resetZone(SampleZone& zone);

// The editor's own volume scale: -12, -6, 0, +6, +12, +18, +24 "dB".
int gainToDecibels(float gain);
float decibelsToGain(int decibels);

// Cuts a text to at most `limit` characters, never in the middle of one: the bytes the text
// takes in a kit file's code page.
std::string cutText(std::string text, std::size_t limit);

} // namespace padsmith
