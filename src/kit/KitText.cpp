// SPDX-License-Identifier: GPL-3.0-or-later
// Kit files as text: the one place where their bytes become the program's UTF-8.
#include "kit/KitText.h"

#include "kit/KitDocument.h"
#include "platform/Files.h"

namespace padsmith {

bool readKitText(const std::filesystem::path& path, const CodePage& page, std::string& text) {
    std::string bytes;
    if (!readWholeFile(path, bytes)) {
        return false;
    }
    text = decodeFileText(bytes, page);
    return true;
}

namespace {

// Adds `text` to `found` when `page` cannot hold it.
void checkText(std::vector<UnheldText>& found, const CodePage& page, int pad, int row,
               const char* field, const std::string& text) {
    CodePage::Encoded encoded = page.encode(text);
    if (!encoded.ok()) {
        found.push_back({pad, row, field, text, std::move(encoded.unheld)});
    }
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
