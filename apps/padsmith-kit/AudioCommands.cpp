// SPDX-License-Identifier: GPL-3.0-or-later
// Audio commands of padsmith-kit: info, devices, play.
#include "ToolCommand.h"
#include "audio/AudioFile.h"
#include "audio/Preview.h"

#include <QCoreApplication>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace padsmith::tool {

namespace {

int usageError(const std::string& text) {
    std::fprintf(stderr, "padsmith-kit: %s\n", text.c_str());
    return 2;
}

// The commands that talk to devices run an event loop: only they make an application object.
class ToolApplication {
public:
    ToolApplication() : app_(argc_, argv_) {}
    QCoreApplication& app() { return app_; }

private:
    int argc_ = 1;
    char name_[13] = "padsmith-kit";
    char* argv_[2] = {name_, nullptr};
    QCoreApplication app_;
};

// Prints the info text of each file, a blank line between two. Exit 1 when a file could not
// be read as a sample (its text is then "File Format: ?").
int runInfo(const std::vector<std::string>& args) {
    if (args.empty()) {
        return usageError("info needs at least one file");
    }
    int result = 0;
    // With several files, each line starts with the file it describes, as grep prints lines.
    const bool prefixed = args.size() > 1;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const PlayableSample sample = readSample(args[i]);
        if (!prefixed) {
            std::printf("%s\n", sample.infoText.c_str());
        }
        for (std::size_t start = 0; prefixed && start < sample.infoText.size();) {
            const std::size_t end =
                std::min(sample.infoText.find('\n', start), sample.infoText.size());
            std::printf("%s: %s\n", args[i].c_str(),
                        sample.infoText.substr(start, end - start).c_str());
            start = end + 1;
        }
        if (!sample.readable) {
            std::fprintf(stderr, "padsmith-kit: %s is not a WAVE or AIFF sample\n",
                         args[i].c_str());
            result = 1;
        }
    }
    return result;
}

int runDevices(const std::vector<std::string>& args) {
    if (!args.empty()) {
        return usageError("devices takes no arguments");
    }
    ToolApplication application;
    const AudioOutputs outputs = audioOutputs();
    if (outputs.names.isEmpty()) {
        std::fprintf(stderr, "padsmith-kit: no audio output found\n");
    }
    std::printf("-1\t%s\n", outputs.defaultName.toStdString().c_str());
    for (qsizetype i = 0; i < outputs.names.size(); ++i) {
        std::printf("%d\t%s\n", static_cast<int>(i), outputs.names.at(i).toStdString().c_str());
    }
    return 0;
}

std::optional<int> parseDevice(const std::string& text) {
    try {
        std::size_t used = 0;
        const int device = std::stoi(text, &used);
        if (used == text.size()) {
            return device;
        }
    } catch (const std::exception&) {
    }
    return std::nullopt;
}

// Plays one file through the editor's preview path and returns when it has sounded out.
int runPlay(const std::vector<std::string>& args) {
    std::string path;
    int device = -1;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--device") {
            const std::optional<int> number =
                i + 1 < args.size() ? parseDevice(args[i + 1]) : std::nullopt;
            if (!number) {
                return usageError("--device needs a device number (see padsmith-kit devices)");
            }
            device = *number;
            ++i;
        } else if (path.empty()) {
            path = args[i];
        } else {
            return usageError("play takes one file");
        }
    }
    if (path.empty()) {
        return usageError("play needs a file");
    }

    ToolApplication application;
    PreviewPlayer player;
    player.previewSample(path, device);
    if (player.infoText().toStdString() == kUnknownFormatInfo) {
        std::fprintf(stderr, "padsmith-kit: %s: not a readable WAVE or AIFF file\n", path.c_str());
        return 1;
    }
    if (!player.isPreviewing()) {
        std::fprintf(stderr, "padsmith-kit: %s: nothing to play, or the audio output refused it\n",
                     path.c_str());
        return 1;
    }

    // The sink reports idle as soon as it has taken the last data; what it holds in its own
    // buffer still has to sound before the program may end.
    int result = 0;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (!player.isPreviewing()) {
            std::fprintf(stderr, "padsmith-kit: %s: playback failed\n", path.c_str());
            result = 1;
            poll.stop();
            application.app().quit();
        } else if (player.dataHandedOver()) {
            poll.stop();
            QTimer::singleShot(std::chrono::milliseconds(player.bufferedMilliseconds() + 100),
                               &application.app(), &QCoreApplication::quit);
        }
    });
    poll.start(std::chrono::milliseconds(20));
    application.app().exec();
    // Let the output close its stream before the program ends: Qt's PulseAudio back end can
    // abort at exit when a stream is still closing.
    player.closeOutput();
    QTimer::singleShot(50, &application.app(), &QCoreApplication::quit);
    application.app().exec();
    return result;
}

constexpr ToolCommand kAudioCommands[] = {
    {"info", "info FILE...", runInfo,
     "Describes WAVE and AIFF files as the editor's sample import does: format, bits and "
     "sample rate, length and size. A file that cannot be read as a sample is described as "
     "\"File Format: ?\". Given several files, each line begins with its file and a colon.",
     "",
     "0\tevery file was read\n"
     "1\tsome file could not be read as a sample\n"
     "2\tno file was given"},
    {"devices", "devices", runDevices,
     "Lists the audio outputs a preview can play on, as the Audio Out menu does: -1 with the "
     "name of the system's default output, then each output with its number.",
     "",
     "0\tthe list was printed (without outputs, a note goes to the standard error)\n"
     "2\twrong usage"},
    {"play", "play FILE [--device N]", runPlay,
     "Plays a WAVE or AIFF file as the editor previews a sample, and returns when it has "
     "sounded.",
     "--device N\tthe output, by its number from padsmith-kit devices; -1, the default, is "
     "the system's default output",
     "0\tthe sample was played\n"
     "1\tthe file could not be read, holds nothing to play, or the output failed\n"
     "2\twrong usage"},
};

} // namespace

std::span<const ToolCommand> audioCommands() {
    return kAudioCommands;
}

} // namespace padsmith::tool
