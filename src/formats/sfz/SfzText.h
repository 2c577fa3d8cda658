// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The text level of SFZ, below its headers and opcodes' meaning.
#include "formats/sfz/SfzReader.h"

#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace padsmith::formats {

// `text` without the blanks (spaces, tabs, line ends) at either end.
std::string_view trimSfz(std::string_view text);

// #define and #include, expanded in file order into one text; comments become blanks.
class SfzPreprocessor {
public:
    // #include paths are taken relative to `folder` and read through `loader`.
    SfzPreprocessor(const std::filesystem::path& folder, const SfzIncludeLoader& loader,
                    const SfzLimits& limits = {});

    // Appends `text` expanded. False (and `error` set) when includes nest too deeply, or the
    // expanded text or a definition grows beyond the limits: the text never holds more.
    bool expand(std::string_view text, int depth, std::string& error);

    const std::string& text() const { return out_; }
    // The #included files that could not be read, as the text names them.
    const std::vector<std::string>& missingIncludes() const { return missing_; }

private:
    bool define(std::string_view rest);
    bool include(std::string_view rest, int depth, std::string& error);
    // Appends `line` with every defined $name replaced to `out`; false, with `out` cut, when
    // `out` would grow beyond `limit` bytes.
    bool substitute(std::string_view line, std::string& out, std::size_t limit) const;

    std::filesystem::path folder_;
    const SfzIncludeLoader& loader_;
    SfzLimits limits_;
    std::map<std::string, std::string, std::less<>> defines_;
    std::string out_;
    std::vector<std::string> missing_;
};

// "<header>" (its name) or "opcode=value".
struct SfzToken {
    bool header = false;
    std::string name;
    std::string value;
};

// "<header>" and "opcode=value". A value ends at a line end, at a "<", or where a blank is
// followed by the next "opcode=": sample paths may hold blanks.
std::vector<SfzToken> tokenizeSfz(std::string_view text);

} // namespace padsmith::formats
