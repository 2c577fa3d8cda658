// SPDX-License-Identifier: GPL-3.0-or-later
// Small helpers shared by the files of the platform library; not for callers outside it.
#pragma once

namespace padsmith::files_internal {

inline char lowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace padsmith::files_internal
