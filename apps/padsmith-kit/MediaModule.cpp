// SPDX-License-Identifier: GPL-3.0-or-later
// The module of padsmith-kit's commands that need the sound server, MIDI, other samplers'
// formats and the audio encoders: the one function the tool looks up after loading it.
#include "ToolModule.h"
#include "formats/SampleDecode.h"

#include <vector>

#if defined(_WIN32)
#define PADSMITH_MODULE_EXPORT __declspec(dllexport)
#else
#define PADSMITH_MODULE_EXPORT __attribute__((visibility("default")))
#endif

extern "C" PADSMITH_MODULE_EXPORT const padsmith::tool::ToolModuleExports*
padsmithKitModule(int version) {
    using namespace padsmith;
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
    static const ToolModuleExports exports{commands.data(), commands.size(),
                                           &formats::decodeAddedSample};
    return &exports;
}
