// SPDX-License-Identifier: GPL-3.0-or-later
// Small helpers shared by the files of the platform library; not for callers outside it.
#pragma once

#include "platform/Files.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace padsmith::files_internal {

// The folder a temporary file beside `target` goes into ("." for a bare name).
std::filesystem::path folderForSibling(const std::filesystem::path& target);

// Flushes `file` to the disk and closes it; false when either failed.
bool syncAndClose(std::FILE* file);

// The fault the test hook acts out for a step (see setFileFaultHook); none without a hook.
std::error_code injectedFault(FileStep step, const std::filesystem::path& from,
                              const std::filesystem::path& to);

inline char lowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace padsmith::files_internal
