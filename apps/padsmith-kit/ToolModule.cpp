// SPDX-License-Identifier: GPL-3.0-or-later
#include "ToolModule.h"

#include <filesystem>
#include <optional>
#include <system_error>
#include <vector>

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace padsmith::tool {

namespace fs = std::filesystem;

namespace {

#if defined(_WIN32)
constexpr const char* kModuleFile = "padsmith-kit-media.dll";
#else
constexpr const char* kModuleFile = "padsmith-kit-media.so";
#endif

// The folder of the running program; empty when the system does not say.
fs::path programFolder() {
    std::error_code ec;
#if defined(_WIN32)
    std::wstring path(MAX_PATH, L'\0');
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), MAX_PATH);
    path.resize(length);
    return fs::path(path).parent_path();
#else
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::path() : self.parent_path();
#endif
}

// The module's entry from the first folder whose module loads; null with `error` set.
ToolModuleEntry loadEntry(std::string& error) {
    const fs::path folder = programFolder();
    if (folder.empty()) {
        error = "the program's folder is not known";
        return nullptr;
    }
    std::string tried;
    for (const fs::path& candidate :
         {folder / kModuleFile, folder / PADSMITH_MODULES_FROM_PROGRAM / kModuleFile}) {
#if defined(_WIN32)
        HMODULE module = LoadLibraryW(candidate.c_str());
        if (module == nullptr) {
            tried += (tried.empty() ? "" : "; ") + candidate.string() + " does not load";
            continue;
        }
        auto entry = reinterpret_cast<ToolModuleEntry>(GetProcAddress(module, kToolModuleEntry));
#else
        void* module = dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (module == nullptr) {
            const char* why = dlerror();
            tried += (tried.empty() ? "" : "; ") + std::string(why != nullptr ? why : "");
            continue;
        }
        auto entry = reinterpret_cast<ToolModuleEntry>(dlsym(module, kToolModuleEntry));
#endif
        if (entry == nullptr) {
            error = candidate.string() + " is no module of padsmith-kit";
            return nullptr;
        }
        return entry;
    }
    error = tried;
    return nullptr;
}

// What the module exports, loaded once; null, and `error` set, when it cannot be loaded.
const ToolModuleExports* loadedModule(std::string& error) {
    static std::optional<const ToolModuleExports*> exports;
    static std::string loadError;
    if (!exports) {
        exports = nullptr;
        if (const ToolModuleEntry entry = loadEntry(loadError)) {
            exports = entry(kToolModuleVersion);
            if (*exports == nullptr) {
                loadError = "the module padsmith-kit-media is of another version";
            }
        }
    }
    error = loadError;
    return *exports;
}

} // namespace

std::span<const ToolCommand> moduleCommands(std::string& error) {
    const ToolModuleExports* exports = loadedModule(error);
    return exports == nullptr
               ? std::span<const ToolCommand>()
               : std::span<const ToolCommand>(exports->commands, exports->commandCount);
}

formats::PlayableSource decodeAddedSample(const fs::path& file, const fs::path& cacheFolder) {
    std::string error;
    const ToolModuleExports* exports = loadedModule(error);
    if (exports == nullptr) {
        formats::PlayableSource none;
        none.problem = "nothing decodes it without the module padsmith-kit-media (" + error + ")";
        return none;
    }
    return exports->decodeAddedSample(file, cacheFolder);
}

} // namespace padsmith::tool
