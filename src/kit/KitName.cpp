// SPDX-License-Identifier: GPL-3.0-or-later
#include "kit/KitName.h"

#include "kit/SampleZone.h"

#include <algorithm>

namespace padsmith {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\v' || c == '\f';
}

void trimBlanks(std::string& text) {
    const auto first = std::find_if_not(text.begin(), text.end(), isBlank);
    text.erase(text.begin(), first);
    while (!text.empty() && isBlank(text.back())) {
        text.pop_back();
    }
}

bool namesAFolder(const std::string& name) {
    if (name.empty() || name.find_first_not_of('.') == std::string::npos) {
        return false;
    }
    // A backslash separates folders for the plug-in even where the file system allows it in
    // a name, so "a\b" would be another folder to the plug-in than to this program.
    if (name.find_first_of(std::string("/\\\0", 3)) != std::string::npos) {
        return false;
    }
#if defined(_WIN32)
    if (name.find(':') != std::string::npos) {
        return false;
    }
#endif
    return true;
}

} // namespace

std::string kitNameForScript(const std::filesystem::path& scriptPath) {
    std::string name = scriptPath.filename().string();
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0) {
        name.resize(dot);
    }
    std::replace_if(
        name.begin(), name.end(), [](char c) { return c == ',' || c == '\r' || c == '\n'; }, ' ');
    trimBlanks(name);
    name = cutText(name, kTextMax);
    trimBlanks(name);
    return namesAFolder(name) ? name : std::string();
}

std::string unusableKitNameText(const std::filesystem::path& scriptPath) {
    return "The file name " + scriptPath.filename().string() +
           " gives no kit name: the kit name also names the kit's sample folder. Please choose "
           "another name.";
}

} // namespace padsmith
