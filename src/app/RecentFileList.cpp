// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/RecentFileList.h"

#include "platform/SettingsStore.h"

namespace padsmith {

namespace {

QString valueName(int number) {
    return QStringLiteral("FILE%1").arg(number);
}

} // namespace

void RecentFileList::putFront(const QString& path) {
    int found = kSlots - 1;
    for (int i = 0; i < kSlots - 1; ++i) {
        if (slots_[static_cast<std::size_t>(i)] == path) {
            found = i;
            break;
        }
    }
    for (int i = found; i > 0; --i) {
        slots_[static_cast<std::size_t>(i)] = slots_[static_cast<std::size_t>(i - 1)];
    }
    slots_[0] = path;
}

void RecentFileList::remove(int k) {
    if (k < 0 || k >= kSlots) {
        return;
    }
    for (int i = k; i < kSlots - 1; ++i) {
        slots_[static_cast<std::size_t>(i)] = slots_[static_cast<std::size_t>(i + 1)];
    }
    slots_[kSlots - 1].clear();
}

int RecentFileList::count() const {
    int n = 0;
    while (n < kSlots && !slots_[static_cast<std::size_t>(n)].isEmpty()) {
        ++n;
    }
    return n;
}

QString RecentFileList::at(int k) const {
    return k >= 0 && k < kSlots ? slots_[static_cast<std::size_t>(k)] : QString();
}

void RecentFileList::load(const SettingsStore& settings) {
    slots_.fill(QString());
    for (int n = 1; n <= kSlots; ++n) {
        const QString path = settings.readString(valueName(n));
        if (path.isEmpty()) {
            break;
        }
        slots_[static_cast<std::size_t>(n - 1)] = path;
    }
}

void RecentFileList::store(SettingsStore& settings) const {
    for (int n = 1; n <= kSlots; ++n) {
        settings.deleteValue(valueName(n));
    }
    const int filled = count();
    for (int k = 0; k < filled; ++k) {
        settings.writeString(valueName(k + 1), slots_[static_cast<std::size_t>(k)]);
    }
}

} // namespace padsmith
