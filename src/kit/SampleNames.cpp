// SPDX-License-Identifier: GPL-3.0-or-later
#include "kit/SampleNames.h"

#include "kit/KitDocument.h"
#include "kit/SampleFolders.h"
#include "kit/SampleZone.h"
#include "platform/Files.h"

#include <algorithm>
#include <filesystem>

namespace padsmith {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

bool isControl(char c) {
    return static_cast<unsigned char>(c) < 0x20 || c == '\x7f';
}

} // namespace

std::string sampleNameProblem(std::string_view name, const CodePage& codePage) {
    if (name.empty()) {
        return "A sample name can't be empty.";
    }
    if (!isPlainName(name)) {
        return "A sample name can't be \".\" or \"..\", or hold \"/\" or \"\\\".";
    }
    if (name.find(',') != std::string_view::npos) {
        return "A sample name can't hold a comma: the kit script separates its fields with "
               "commas.";
    }
    for (const char c : name) {
        if (isControl(c) && c != '\t') {
            return "A sample name can't hold a line break or another control character.";
        }
    }
    if (isBlank(name.front()) || isBlank(name.back()) || name.find('\t') != std::string::npos) {
        return "A sample name can't start or end with a blank, or hold a tab.";
    }
    if (const auto refusal = codePageRefusal(codePage, name)) {
        return *refusal;
    }
    if (codePage.byteLength(name) > kTextMax) {
        return "A sample name can't be longer than " + std::to_string(kTextMax) + " characters.";
    }
    // A kit whose bytes all read as UTF-8 is taken for a UTF-8 kit: a name such as "Ã©" would
    // come back as "é".
    if (isUtf8WithNonAscii(codePage.encode(name).bytes)) {
        return "A sample name can't hold these characters together: written in " +
               std::string(codePage.name()) + " they read back as other ones.";
    }
    return {};
}

std::string cleanSampleName(std::string_view name) {
    std::string clean(name);
    for (char& c : clean) {
        if (c == ',' || isControl(c)) {
            c = ' ';
        }
    }
    const std::size_t first = clean.find_first_not_of(' ');
    if (first == std::string::npos) {
        return {};
    }
    return clean.substr(first, clean.find_last_not_of(' ') - first + 1);
}

std::optional<std::string> importedSampleName(std::string_view fileName, const CodePage& codePage,
                                              std::string* problem) {
    std::string reason = sampleNameProblem(fileName, codePage);
    if (reason.empty()) {
        return std::string(fileName);
    }
    std::string clean = cleanSampleName(fileName);
    if (clean != fileName && sampleNameProblem(clean, codePage).empty()) {
        return clean;
    }
    if (problem != nullptr) {
        *problem = std::move(reason);
    }
    return std::nullopt;
}

std::string sourcePathProblem(std::string_view path, const CodePage& codePage) {
    // A comma or a line break would end the path line's field early: the script would record
    // another path than this one.
    if (path.find(',') != std::string_view::npos) {
        return "Its path holds a comma, which a kit script can't record.";
    }
    if (std::any_of(path.begin(), path.end(), isControl)) {
        return "Its path holds a line break or another control character, which a kit script "
               "can't record.";
    }
    if (const auto refusal = codePageRefusal(codePage, path)) {
        return *refusal;
    }
    if (path.find(',') != std::string_view::npos) {
        return "Its path holds a comma, which a kit script's path line cannot record.";
    }
    if (codePage.byteLength(path) > kTextMax) {
        return "Its path is longer than the " + std::to_string(kTextMax) +
               " characters a kit script can record.";
    }
    return {};
}

std::optional<std::string> unrecordableSourcePath(const KitDocument& kit,
                                                  const CodePage& codePage) {
    for (const Pad& pad : kit.pads) {
        for (const SampleZone& zone : pad) {
            if (!isCopyableSource(zone.sourcePath)) {
                continue;
            }
            if (std::string problem = sourcePathProblem(zone.sourcePath, codePage);
                !problem.empty()) {
                return toValidUtf8(zone.sourcePath) + ": " + problem;
            }
        }
    }
    return std::nullopt;
}

bool sampleNameTaken(const KitDocument& kit, std::string_view name, std::string_view sourcePath,
                     int pad, int row) {
    const std::string folded = foldCase(name);
    const auto key = [](std::string_view path) {
        return std::filesystem::path(withoutMissingMark(std::string(path))).lexically_normal();
    };
    const std::filesystem::path source = key(sourcePath);
    for (int p = 0; p < kPadCount; ++p) {
        const Pad& zones = kit.pads[static_cast<std::size_t>(p)];
        for (std::size_t r = 0; r < zones.size(); ++r) {
            const SampleZone& zone = zones.at(r);
            if ((p == pad && static_cast<int>(r) == row) || foldCase(zone.sampleName) != folded) {
                continue;
            }
            if (key(zone.sourcePath) != source) {
                return true;
            }
        }
    }
    return false;
}

std::string sampleNameTakenText(std::string_view name) {
    return std::string(name) +
           " is already the name of another sample of this kit; both would play one file.";
}

} // namespace padsmith
