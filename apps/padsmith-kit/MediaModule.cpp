// SPDX-License-Identifier: GPL-3.0-or-later
// The module of padsmith-kit's commands that need the sound server, MIDI, other samplers'
// formats and the audio encoders: the one function the tool looks up after loading it.
#include "ToolModule.h"

#include <vector>

#if defined(_WIN32)
#define PADSMITH_MODULE_EXPORT __declspec(dllexport)
#else
#define PADSMITH_MODULE_EXPORT __attribute__((visibility("default")))
#endif

extern "C" PADSMITH_MODULE_EXPORT const padsmith::tool::ToolCommand*
padsmithKitCommands(int version, std::size_t* count) {
    using namespace padsmith::tool;
    if (version != kToolModuleVersion) {
        return nullptr;
    }
    static const std::vector<ToolCommand> commands = [] {
        std::vector<ToolCommand> all;
        for (const auto list : {audioCommands, midiCommands, convertCommands, renderCommands}) {
            const std::span<const ToolCommand> part = list();
            all.insert(all.end(), part.begin(), part.end());
        }
        return all;
    }();
    *count = commands.size();
    return commands.data();
}
