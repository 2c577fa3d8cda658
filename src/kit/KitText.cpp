// SPDX-License-Identifier: GPL-3.0-or-later
// Kit files as text: the one place where their bytes become the program's UTF-8.
#include "kit/KitText.h"

#include "kit/KitDocument.h"
#include "platform/Files.h"

namespace padsmith {

namespace {

// How many of the fields of `text` that look like paths ("/..." or "C:\...") name a file or
// folder that exists.
int existingPaths(const std::string& text) {
    int count = 0;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find_first_of(",\r\n", start);
        if (end == std::string::npos) {
            end = text.size();
        }
        std::string_view field(text.data() + start, end - start);
        while (!field.empty() && field.front() == ' ') {
            field.remove_prefix(1);
        }
        if (field.starts_with('/') || isWindowsPath(field)) {
            std::error_code ec;
            count += std::filesystem::exists(std::filesystem::symlink_status(field, ec)) ? 1 : 0;
        }
        start = end + 1;
    }
    return count;
}

} // namespace

bool readKitText(const std::filesystem::path& path, const CodePage& page, std::string& text) {
    std::string bytes;
    if (!readWholeFile(path, bytes)) {
        return false;
    }
    text = decodeFileText(bytes, page);
    // A file written in the code page whose bytes happen to be valid UTF-8 (a folder named
    // "Ã©" is written as the bytes of "é") was taken for UTF-8. The paths it records tell which
    // reading is the one it was written in: the one under which more of them exist.
    if (!page.isNamed() && withoutUtf8Bom(bytes).size() == bytes.size() &&
        isUtf8WithNonAscii(bytes)) {
        std::string inPage = page.decode(bytes);
        if (inPage != text && existingPaths(inPage) > existingPaths(text)) {
            text = std::move(inPage);
        }
    }
    return true;
}

namespace {

// Adds `text` to `found` when `page` cannot hold it.
void checkText(std::vector<UnheldText>& found, const CodePage& page, int pad, int row,
               const char* field, const std::string& text) {
    if (page.canHold(text)) {
        return;
    }
    found.push_back({pad, row, field, text, page.encode(text).unheld});
}

} // namespace

std::vector<UnheldText> findUnheldTexts(const KitDocument& kit, const CodePage& page) {
    std::vector<UnheldText> found;
    checkText(found, page, -1, -1, "kit name", kit.kitName);
    checkText(found, page, -1, -1, "sample folder", kit.sampleFolder);
    checkText(found, page, -1, -1, "copyright", kit.copyright);
    // The zone lines of every pad come before the path lines.
    for (std::size_t p = 0; p < kit.pads.size(); ++p) {
        const Pad& pad = kit.pads[p];
        const int padIndex = static_cast<int>(p);
        checkText(found, page, padIndex, -1, "pad name", pad.label);
        for (std::size_t row = 0; row < pad.size(); ++row) {
            checkText(found, page, padIndex, static_cast<int>(row), "sample name",
                      pad.at(row).sampleName);
        }
    }
    for (std::size_t p = 0; p < kit.pads.size(); ++p) {
        const Pad& pad = kit.pads[p];
        for (std::size_t row = 0; row < pad.size(); ++row) {
            checkText(found, page, static_cast<int>(p), static_cast<int>(row), "source path",
                      pad.at(row).sourcePath);
        }
    }
    return found;
}

std::vector<UnheldText> findUnheldTexts(const Pad& pad, int padIndex, const CodePage& page) {
    std::vector<UnheldText> found;
    checkText(found, page, padIndex, -1, "pad name", pad.label);
    for (std::size_t row = 0; row < pad.size(); ++row) {
        const SampleZone& zone = pad.at(row);
        checkText(found, page, padIndex, static_cast<int>(row), "sample name", zone.sampleName);
        checkText(found, page, padIndex, static_cast<int>(row), "source path", zone.sourcePath);
    }
    return found;
}

std::string unheldTextMessage(const UnheldText& unheld, const CodePage& page) {
    std::string where;
    std::string field = unheld.field;
    if (unheld.pad >= 0) {
        where = "Pad " + std::to_string(unheld.pad + 1) + ", ";
        if (unheld.row >= 0) {
            where += "row " + std::to_string(unheld.row + 1) + ", ";
        }
    } else if (!field.empty() && field[0] >= 'a' && field[0] <= 'z') {
        field[0] = static_cast<char>(field[0] - 'a' + 'A');
    }
    const auto refusal = codePageRefusal(page, unheld.text);
    return where + field + " \"" + toValidUtf8(unheld.text) + "\": " + refusal.value_or("");
}

} // namespace padsmith
