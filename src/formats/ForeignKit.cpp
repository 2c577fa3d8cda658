// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/ForeignKit.h"

#include <algorithm>
#include <iterator>

namespace padsmith::formats {

std::pair<int, int> velocitySlice(int low, int high, int index, int count) {
    const int width = high - low + 1;
    const int slices = std::max(1, std::min(count, width));
    const int slice = std::min(index, slices - 1);
    const int from = low + slice * width / slices;
    const int to = low + (slice + 1) * width / slices - 1;
    return {from, std::max(from, to)};
}

void Unsupported::add(const std::string& what, const std::string& where) {
    auto item = std::find_if(items_.begin(), items_.end(),
                             [&](const auto& entry) { return entry.first == what; });
    if (item == items_.end()) {
        items_.push_back({what, {}});
        item = std::prev(items_.end());
    }
    if (std::find(item->second.begin(), item->second.end(), where) == item->second.end()) {
        item->second.push_back(where);
    }
}

void Unsupported::appendTo(std::vector<std::string>& notes) const {
    for (const auto& [what, where] : items_) {
        notes.push_back(what + " is not carried over: " + listNames(where) + ".");
    }
}

std::string listNames(const std::vector<std::string>& all, std::size_t shown) {
    std::vector<std::string> names;
    for (const std::string& name : all) {
        if (std::find(names.begin(), names.end(), name) == names.end()) {
            names.push_back(name);
        }
    }
    std::string text;
    const std::size_t listed = names.size() > shown + 1 ? shown : names.size();
    for (std::size_t i = 0; i < listed; ++i) {
        if (i > 0) {
            text += (i + 1 == listed && listed == names.size()) ? " and " : ", ";
        }
        text += names[i].empty() ? "(unnamed)" : names[i];
    }
    if (listed < names.size()) {
        text += " and " + std::to_string(names.size() - listed) + " more";
    }
    return text;
}

} // namespace padsmith::formats
