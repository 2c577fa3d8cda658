// SPDX-License-Identifier: GPL-3.0-or-later
// The text level of SFZ: comments, #define and #include, and the tokens of headers and opcodes.
#include "formats/sfz/SfzText.h"

#include <algorithm>

namespace padsmith::formats {

namespace fs = std::filesystem;

namespace {

bool isNameChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

// Line and block comments become blanks, so line ends stay where they were.
std::string withoutComments(std::string_view text) {
    std::string out(text);
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] == '/' && text[i + 1] == '/') {
            for (; i < text.size() && text[i] != '\n'; ++i) {
                out[i] = ' ';
            }
        } else if (text[i] == '/' && text[i + 1] == '*') {
            const std::size_t close = text.find("*/", i + 2);
            const std::size_t end = close == std::string_view::npos ? text.size() : close + 2;
            for (std::size_t j = i; j < end; ++j) {
                if (text[j] != '\n') {
                    out[j] = ' ';
                }
            }
            i = end - 1;
        }
    }
    return out;
}

} // namespace

std::string_view trimSfz(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

SfzPreprocessor::SfzPreprocessor(const fs::path& folder, const SfzIncludeLoader& loader,
                                 const SfzLimits& limits)
    : folder_(folder), loader_(loader), limits_(limits) {}

bool SfzPreprocessor::expand(std::string_view text, int depth, std::string& error) {
    // A byte-order mark before the first line (editors on Windows write one) is no text.
    if (text.starts_with("\xEF\xBB\xBF")) {
        text.remove_prefix(3);
    }
    const std::string plain = withoutComments(text);
    std::string_view rest = plain;
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        const std::string_view line = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        const std::string_view trimmed = trimSfz(line);
        if (trimmed.starts_with("#define")) {
            if (!define(trimSfz(trimmed.substr(7)))) {
                error = "a #define is too long";
                return false;
            }
        } else if (trimmed.starts_with("#include")) {
            if (!include(trimSfz(trimmed.substr(8)), depth, error)) {
                return false;
            }
        } else if (!substitute(line, out_, limits_.expandedBytes) ||
                   out_.size() >= limits_.expandedBytes) {
            error = "the expanded SFZ text is too large";
            return false;
        } else {
            out_ += '\n';
        }
    }
    return true;
}

// False for a value that grew beyond any real use (definitions that double each other).
bool SfzPreprocessor::define(std::string_view rest) {
    if (rest.empty() || rest.front() != '$') {
        return true;
    }
    std::size_t n = 1;
    while (n < rest.size() && isNameChar(rest[n])) {
        ++n;
    }
    if (n > 1) {
        std::string value;
        if (!substitute(trimSfz(rest.substr(n)), value, limits_.definedBytes)) {
            return false;
        }
        defines_[std::string(rest.substr(1, n - 1))] = std::move(value);
    }
    return true;
}

bool SfzPreprocessor::include(std::string_view rest, int depth, std::string& error) {
    std::string includeText;
    if (!substitute(rest, includeText, limits_.expandedBytes)) {
        error = "the expanded SFZ text is too large";
        return false;
    }
    const std::size_t open = includeText.find('"');
    const std::size_t close = open == std::string::npos ? open : includeText.find('"', open + 1);
    if (close == std::string::npos) {
        return true;
    }
    std::string name = includeText.substr(open + 1, close - open - 1);
    std::replace(name.begin(), name.end(), '\\', '/');
    if (depth >= limits_.includeDepth) {
        error = "#include nested too deeply at \"" + name + "\"";
        return false;
    }
    const fs::path path = folder_ / fs::path(name);
    const std::optional<std::string> text = loader_ ? loader_(path) : std::nullopt;
    if (!text) {
        missing_.push_back(name);
        return true;
    }
    return expand(*text, depth + 1, error);
}

bool SfzPreprocessor::substitute(std::string_view line, std::string& out, std::size_t limit) const {
    const auto append = [&out, limit](std::string_view piece) {
        if (piece.size() > limit - std::min(limit, out.size())) {
            out.append(piece.substr(0, limit - std::min(limit, out.size())));
            return false;
        }
        out.append(piece);
        return true;
    };
    // Runs of text without a known $name are copied whole.
    std::size_t plain = 0;
    for (std::size_t i = line.find('$'); i != std::string_view::npos && !defines_.empty();
         i = line.find('$', i + 1)) {
        std::size_t n = i + 1;
        while (n < line.size() && isNameChar(line[n])) {
            ++n;
        }
        const auto found = defines_.find(line.substr(i + 1, n - i - 1));
        if (found == defines_.end()) {
            continue;
        }
        if (!append(line.substr(plain, i - plain)) || !append(found->second)) {
            return false;
        }
        plain = n;
        i = n - 1;
    }
    return append(line.substr(plain));
}

// "<header>" and "opcode=value". A value ends at a line end, at a "<", or where a blank is
// followed by the next "opcode=": sample paths may hold blanks.
std::vector<SfzToken> tokenizeSfz(std::string_view text) {
    std::vector<SfzToken> tokens;
    std::size_t i = 0;
    while (i < text.size()) {
        if (isBlank(text[i])) {
            ++i;
            continue;
        }
        if (text[i] == '<') {
            const std::size_t close = text.find('>', i);
            if (close == std::string_view::npos) {
                break;
            }
            tokens.push_back({true, std::string(trimSfz(text.substr(i + 1, close - i - 1))), {}});
            i = close + 1;
            continue;
        }
        std::size_t n = i;
        while (n < text.size() && isNameChar(text[n])) {
            ++n;
        }
        if (n == i || n >= text.size() || text[n] != '=') {
            while (i < text.size() && !isBlank(text[i]) && text[i] != '<') {
                ++i; // not an opcode: skipped
            }
            continue;
        }
        SfzToken token{false, std::string(text.substr(i, n - i)), {}};
        std::size_t v = n + 1;
        std::size_t end = v;
        while (end < text.size() && text[end] != '\n' && text[end] != '\r' && text[end] != '<') {
            if (isBlank(text[end])) {
                std::size_t next = end;
                while (next < text.size() && (text[next] == ' ' || text[next] == '\t')) {
                    ++next;
                }
                std::size_t word = next;
                while (word < text.size() && isNameChar(text[word])) {
                    ++word;
                }
                if (word > next && word < text.size() && text[word] == '=') {
                    break;
                }
                // Every blank of the run leads to the same word: it is looked at once.
                if (next > end + 1) {
                    end = next - 1;
                }
            }
            ++end;
        }
        token.value = std::string(trimSfz(text.substr(v, end - v)));
        tokens.push_back(std::move(token));
        i = end;
    }
    return tokens;
}

} // namespace padsmith::formats
