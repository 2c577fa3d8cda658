// SPDX-License-Identifier: GPL-3.0-or-later
// SFZ files come from anywhere: the reader must survive any text, including #include and
// #define, and what it reads must stay within a kit's ranges.
#include "formats/sfz/SfzReader.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

using namespace padsmith::formats;

// The included files, by name: "loop*" includes itself (nesting until the depth bound),
// "missing*" cannot be read, any other holds a region.
std::optional<std::string> includedText(const std::filesystem::path& path) {
    const std::string name = path.filename().string();
    if (name.starts_with("missing")) {
        return std::nullopt;
    }
    if (name.starts_with("loop")) {
        return "<region> sample=loop.wav key=41\n#include \"" + name + "\"\n";
    }
    return std::string("<region> sample=included.wav key=40\n");
}

// The bounds the reader has, lowered so that inputs reach them in a few steps: an input that
// doubles a #define five times meets the same refusal as a file that grows to the real bound.
// What an input may grow to decides the fuzzer's speed: most of its time goes to inputs that
// expand as far as they may.
constexpr SfzLimits kLimits{std::size_t{8} << 10, std::size_t{1} << 10, 8};

void checkKit(const ForeignKit& kit) {
    for (const auto& instrument : kit.instruments) {
        if (instrument.key < 0 || instrument.key > 127 || instrument.layers.empty()) {
            std::abort();
        }
        for (const auto& layer : instrument.layers) {
            if (layer.velocityLow < 1 || layer.velocityLow > layer.velocityHigh ||
                layer.velocityHigh > 127 || !(layer.gainLeft >= 0.0) || !(layer.gainRight >= 0.0)) {
                std::abort();
            }
        }
    }
}

} // namespace

// AddressSanitizer keeps 256 MB of freed memory in quarantine by default, which is most of the
// fuzzer's memory; an input here allocates a few kilobytes, so 16 MB still holds the memory
// of thousands of inputs back for use-after-free reports. The environment may override it.
extern "C" const char* __asan_default_options() {
    return "quarantine_size_mb=16";
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    // One reading an input, each way of keeping alternates as often: the mutations that
    // grow or shrink an input by a byte carry it over to the other.
    const ReadOptions options{KeyChoice::Index,
                              size % 2 == 0 ? AlternateChoice::First : AlternateChoice::Interleave};
    std::string error;
    if (const auto kit = parseSfz(text, "/fuzz/kit.sfz", options, includedText, error, kLimits)) {
        checkKit(*kit);
    }
    return 0;
}
