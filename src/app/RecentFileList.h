// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <array>

namespace padsmith {

class SettingsStore;

// The most recently opened or saved kits, newest first, without duplicates or gaps.
class RecentFileList {
public:
    static constexpr int kSlots = 16;

    // Moves `path` to slot 0. Only slots 0 to 14 are searched, so a path standing in the last
    // slot is written again at the front and the old last slot falls off.
    void putFront(const QString& path);
    // Empties slot k and closes the gap.
    void remove(int k);
    int count() const;
    QString at(int k) const;

    // Reads "FILE1" upward until the first missing or empty value.
    void load(const SettingsStore& settings);
    // Deletes "FILE1" to "FILE16", then writes the filled slots from "FILE1" on.
    void store(SettingsStore& settings) const;

private:
    std::array<QString, kSlots> slots_;
};

} // namespace padsmith
