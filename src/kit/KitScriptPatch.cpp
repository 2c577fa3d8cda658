// SPDX-License-Identifier: GPL-3.0-or-later
// Writing back only the pads a command changed, the rest of the file kept as it was read.
#include "kit/KitScript.h"
#include "kit/SampleFolders.h"

#include <algorithm>

namespace padsmith {

namespace {

// One line of the file with its own line end ("\r\n", "\n" or none at the end).
struct Line {
    std::string_view bytes;
    std::string_view text; // without the line end
};

std::vector<Line> linesOf(std::string_view bytes) {
    std::vector<Line> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        const std::size_t newline = bytes.find('\n', start);
        const std::size_t end = newline == std::string_view::npos ? bytes.size() : newline + 1;
        std::string_view text = bytes.substr(start, end - start);
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
            text.remove_suffix(1);
        }
        lines.push_back({bytes.substr(start, end - start), text});
        start = end;
    }
    return lines;
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    return text;
}

bool isSectionEnd(const Line& line) {
    return trimmed(line.text) == "-1";
}

// The pad number a zone or path line starts with, 0 when it starts with none.
int padNumberOf(const Line& line) {
    const std::string_view text = trimmed(line.text);
    int number = 0;
    std::size_t i = 0;
    for (; i < text.size() && i < 3 && text[i] >= '0' && text[i] <= '9'; ++i) {
        number = number * 10 + (text[i] - '0');
    }
    return i > 0 && i < text.size() && text[i] == ',' ? number : 0;
}

// The lines of one section with the pads in `pads` replaced by what `lines` makes of them.
template <typename MakeLines>
bool patchSection(std::string& out, const std::vector<Line>& section, const std::vector<int>& pads,
                  const CodePage& page, MakeLines makeLines) {
    std::vector<bool> written(kPadCount + 1, false);
    const auto isChanged = [&pads](int number) {
        return number >= 1 && number <= kPadCount &&
               std::find(pads.begin(), pads.end(), number - 1) != pads.end();
    };
    // Writes the changed pads up to `number` that have not been written yet.
    const auto writeUpTo = [&](int number) {
        for (const int pad : pads) {
            const int padNumber = pad + 1;
            if (padNumber <= number && !written[static_cast<std::size_t>(padNumber)]) {
                written[static_cast<std::size_t>(padNumber)] = true;
                std::string text;
                makeLines(text, pad);
                const CodePage::Encoded bytes = page.encode(text);
                if (!bytes.ok()) {
                    return false;
                }
                out += bytes.bytes;
            }
        }
        return true;
    };
    for (const Line& line : section) {
        const int number = padNumberOf(line);
        if (number >= 1 && number <= kPadCount &&
            !writeUpTo(isChanged(number) ? number : number - 1)) {
            return false;
        }
        if (!isChanged(number)) {
            out += line.bytes;
        }
    }
    return writeUpTo(kPadCount);
}

} // namespace

std::optional<std::string> patchKitScript(std::string_view original, const KitDocument& kit,
                                          const std::vector<int>& changed, const CodePage& page) {
    std::vector<int> pads = changed;
    std::sort(pads.begin(), pads.end());
    pads.erase(std::unique(pads.begin(), pads.end()), pads.end());
    // The kept lines are the file's bytes: only a file read in `page` can take new lines in it.
    if (original.starts_with(kUtf8Bom) || decodeFileText(original, page) != page.decode(original)) {
        return std::nullopt;
    }
    for (const int pad : pads) {
        if (pad < 0 || pad >= kPadCount) {
            return std::nullopt;
        }
    }
    const std::vector<Line> lines = linesOf(original);
    // Four kit strings and an empty line, the zone lines up to "-1", then (after an empty line)
    // the path lines up to "-1", if the file has any.
    constexpr std::size_t kHeaderLines = 5;
    if (lines.size() < kHeaderLines + 1 || !trimmed(lines[kHeaderLines - 1].text).empty()) {
        return std::nullopt;
    }
    const auto zonesEnd = std::find_if(lines.begin() + kHeaderLines, lines.end(), isSectionEnd);
    if (zonesEnd == lines.end()) {
        return std::nullopt;
    }
    auto pathsBegin = zonesEnd + 1;
    while (pathsBegin != lines.end() && trimmed(pathsBegin->text).empty()) {
        ++pathsBegin;
    }
    const auto pathsEnd = std::find_if(pathsBegin, lines.end(), isSectionEnd);
    const bool hasPaths = pathsBegin != pathsEnd && pathsEnd != lines.end();

    std::string out;
    for (auto line = lines.begin(); line != lines.begin() + kHeaderLines; ++line) {
        out += line->bytes;
    }
    const auto zoneLines = [&kit](std::string& text, int pad) {
        appendZoneLines(text, kit.pads[static_cast<std::size_t>(pad)], pad);
    };
    if (!patchSection(out, {lines.begin() + kHeaderLines, zonesEnd}, pads, page, zoneLines)) {
        return std::nullopt;
    }
    if (!hasPaths) {
        for (auto line = zonesEnd; line != lines.end(); ++line) {
            out += line->bytes;
        }
        return out;
    }
    for (auto line = zonesEnd; line != pathsBegin; ++line) {
        out += line->bytes;
    }
    // The paths as recorded: a sample missing here is no reason to mark it in the file.
    const auto pathLines = [&kit](std::string& text, int pad) {
        Pad recorded = kit.pads[static_cast<std::size_t>(pad)];
        for (SampleZone& zone : recorded) {
            zone.sourcePath = withoutMissingMark(zone.sourcePath);
        }
        appendPathLines(text, recorded, pad);
    };
    if (!patchSection(out, {pathsBegin, pathsEnd}, pads, page, pathLines)) {
        return std::nullopt;
    }
    for (auto line = pathsEnd; line != lines.end(); ++line) {
        out += line->bytes;
    }
    return out;
}

} // namespace padsmith
