// SPDX-License-Identifier: GPL-3.0-or-later
// padsmith-kit render: a MIDI groove, or a pad's velocity sweep, played through a kit and
// written to a WAVE file, offline.
#include "ToolCommand.h"
#include "ToolSupport.h"
#include "audio/GrooveRender.h"
#include "platform/Files.h"

#include <charconv>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace padsmith::tool {

namespace {

namespace fs = std::filesystem;

constexpr const char* kUsage =
    "usage: render KIT GROOVE.mid OUT.wav [--loops N] [--tempo BPM] [--rate HZ] [--force]\n"
    "       render KIT --sweep PAD OUT.wav [--loops N] [--rate HZ] [--force]";
constexpr int kMostLoops = 1000;

template <typename Number> std::optional<Number> numberFrom(const std::string& text) {
    Number value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

struct RenderOptions {
    int loops = 1;
    int rate = 48000;
    std::optional<double> tempo;
    std::optional<int> sweepPad;
    std::vector<std::string> rest; // for the options every kit command shares
};

// Takes the options of this command out of `args`; reports a bad one and gives nothing.
std::optional<RenderOptions> renderOptions(const std::vector<std::string>& args) {
    RenderOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg != "--loops" && arg != "--tempo" && arg != "--rate" && arg != "--sweep") {
            options.rest.push_back(arg);
            continue;
        }
        if (i + 1 >= args.size()) {
            usageError(arg + " needs a value");
            return std::nullopt;
        }
        const std::string& value = args[++i];
        if (arg == "--loops") {
            const auto loops = numberFrom<int>(value);
            if (!loops || *loops < 1 || *loops > kMostLoops) {
                usageError("--loops takes a count from 1 to " + std::to_string(kMostLoops));
                return std::nullopt;
            }
            options.loops = *loops;
        } else if (arg == "--tempo") {
            options.tempo = numberFrom<double>(value);
            if (!options.tempo || !(*options.tempo >= 1.0 && *options.tempo <= 1000.0)) {
                usageError("--tempo takes beats a minute from 1 to 1000");
                return std::nullopt;
            }
        } else if (arg == "--rate") {
            const auto rate = numberFrom<int>(value);
            if (!rate || *rate < kLowestRenderRate || *rate > kHighestRenderRate) {
                usageError("--rate takes a sample rate from " + std::to_string(kLowestRenderRate) +
                           " to " + std::to_string(kHighestRenderRate) + " Hz");
                return std::nullopt;
            }
            options.rate = *rate;
        } else {
            options.sweepPad = padFromText(value);
            if (!options.sweepPad) {
                usageError("--sweep takes a pad number from 1 to " + std::to_string(kPadCount));
                return std::nullopt;
            }
        }
    }
    return options;
}

bool samePlace(const fs::path& a, const fs::path& b) {
    std::error_code ec;
    return fs::equivalent(a, b, ec) || absolutePath(a) == absolutePath(b);
}

int runRender(const std::vector<std::string>& argv) {
    const std::optional<RenderOptions> options = renderOptions(argv);
    if (!options) {
        return 2;
    }
    const auto args = parseArguments(options->rest);
    const std::size_t wanted = options->sweepPad ? 2 : 3;
    if (!args || args->positional.size() != wanted) {
        return usageError(kUsage);
    }
    if (options->sweepPad && options->tempo) {
        return usageError("a sweep has no tempo: its hits are a quarter second apart");
    }
    const fs::path kitPath = args->positional.front();
    const fs::path out = args->positional.back();
    const std::optional<fs::path> groovePath =
        options->sweepPad ? std::nullopt : std::optional<fs::path>(args->positional[1]);
    if (samePlace(out, kitPath) || (groovePath && samePlace(out, *groovePath))) {
        return usageError(out.string() + " is one of the files the render reads");
    }
    std::error_code ec;
    if (fs::exists(fs::symlink_status(out, ec)) && !args->force) {
        std::fprintf(stderr, "padsmith-kit: %s exists; --force replaces it\n", out.c_str());
        return 1;
    }

    KitDocument kit;
    if (!loadKit(kit, kitPath, locationFor(*args, kitPath), args->search)) {
        return 1;
    }
    Groove groove;
    if (options->sweepPad) {
        const int note = sweepNote(kit, *options->sweepPad);
        if (note < 0) {
            std::fprintf(stderr, "padsmith-kit: pad %d has no zones\n", *options->sweepPad + 1);
            return 1;
        }
        groove = velocitySweep(note, options->rate);
    } else {
        const MidiReadResult read = readMidiFile(*groovePath);
        GrooveResult timed;
        if (read.file) {
            timed = timeGroove(*read.file, options->rate, options->tempo);
        }
        if (!timed.groove) {
            std::fprintf(stderr, "padsmith-kit: %s: %s\n", groovePath->c_str(),
                         (read.file ? timed.error : read.error).c_str());
            return 1;
        }
        groove = std::move(*timed.groove);
    }

    for (const UnplayedNote& note : unplayedNotes(kit, groove, options->sweepPad)) {
        std::printf("no zone plays %s\n", describeUnplayed(note).c_str());
    }
    const Rendering rendering = renderGroove(kit, groove, options->loops, options->sweepPad);
    for (const std::string& path : rendering.unreadable) {
        std::fprintf(stderr, "padsmith-kit: %s cannot be read as a sample; its notes are silent\n",
                     path.c_str());
    }
    if (rendering.notesPlayed == 0) {
        std::fprintf(stderr, "padsmith-kit: no note of the groove sounds in this kit; nothing "
                             "written\n");
        return 1;
    }
    std::string error;
    const std::string bytes = encodeWave24(rendering.frames, groove.rate, error);
    if (bytes.empty()) {
        std::fprintf(stderr, "padsmith-kit: %s: %s\n", out.c_str(), error.c_str());
        return 1;
    }
    if (!replaceFileContents(out, bytes)) {
        std::fprintf(stderr, "padsmith-kit: %s cannot be written\n", out.c_str());
        return 1;
    }
    const std::size_t frames = rendering.frames.size() / 2;
    std::printf("%s: %.3f s at %d Hz, 24-bit stereo; %zu notes played, %d %s\n", out.c_str(),
                static_cast<double>(frames) / groove.rate, groove.rate, rendering.notesPlayed,
                options->loops, options->loops == 1 ? "pass" : "passes");
    return 0;
}

constexpr ToolCommand kRenderCommands[] = {
    {"render",
     "render KIT (GROOVE.mid | --sweep PAD) OUT.wav [--loops N] [--tempo BPM] [--rate HZ] "
     "[--force]",
     runRender,
     "Plays a MIDI groove (a Standard MIDI File of type 0 or 1) through the kit and writes what "
     "it sounds like to a 24-bit stereo WAVE file. Each note-on plays the zone a MIDI note plays "
     "in the editor, at the zone's volumes, starting on its exact sample; the file goes on "
     "until the last notes have sounded out. The same kit and groove always give the same "
     "bytes. Notes that no zone plays are listed. With --sweep, the pad's key is played at "
     "velocities 8, 16 and so on to 127, a quarter second apart, so each velocity layer is "
     "heard.",
     "--loops N\tplays the groove N times in a row (1 to 1000; default 1)\n"
     "--tempo BPM\tthe groove's opening tempo in beats a minute; later tempo changes keep "
     "their proportion to it (default: the file's own)\n"
     "--rate HZ\tthe sample rate of the file (8000 to 384000; default 48000)\n"
     "--sweep PAD\trenders the velocity sweep of pad PAD (1 to 18) instead of a groove\n"
     "--force\treplaces OUT when it exists\n"
     "--plugin-dir DIR\tthe plug-in folder (default: the kit's folder)\n"
     "--search DIR\tlooks for samples that moved under DIR\n"
     "--encoding NAME\tthe kit's code page",
     "0\tthe file was written\n"
     "1\tthe kit or the groove could not be read, no note sounds, OUT exists without --force, "
     "or OUT could not be written\n"
     "2\twrong usage"},
};

} // namespace

std::span<const ToolCommand> renderCommands() {
    return kRenderCommands;
}

} // namespace padsmith::tool
