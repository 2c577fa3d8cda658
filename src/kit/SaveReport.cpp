// SPDX-License-Identifier: GPL-3.0-or-later
#include "kit/SaveReport.h"

namespace padsmith {

namespace {

constexpr std::size_t kListed = 12;

void appendList(std::string& text, const std::vector<SaveReport::Entry>& entries,
                const char* separator) {
    for (std::size_t i = 0; i < entries.size() && i < kListed; ++i) {
        text += "\n" + entries[i].file;
        if (!entries[i].detail.empty()) {
            text += separator + entries[i].detail;
        }
    }
    if (entries.size() > kListed) {
        text += "\n... and " + std::to_string(entries.size() - kListed) + " more";
    }
}

std::string scriptName(const SaveReport& report) {
    return report.script.filename().string();
}

} // namespace

std::string saveReportMessage(const SaveReport& report) {
    switch (report.outcome) {
    case SaveReport::Outcome::Refused: {
        std::string text = "Can't save " + scriptName(report) + ".";
        appendList(text, report.refused, ": ");
        return text;
    }
    case SaveReport::Outcome::Failed:
        return "Can't save " + scriptName(report) + ".\n" + report.failure +
               ".\nNothing was changed: the kit and its copies in the plug-in folder are as they "
               "were.";
    case SaveReport::Outcome::Saved:
        break;
    }
    std::string text;
    const auto section = [&text](const std::string& heading,
                                 const std::vector<SaveReport::Entry>& entries, const char* before,
                                 const char* after) {
        if (entries.empty()) {
            return;
        }
        if (!text.empty()) {
            text += "\n\n";
        }
        text += heading;
        std::vector<SaveReport::Entry> shown;
        for (const SaveReport::Entry& entry : entries) {
            shown.push_back({entry.file, entry.detail.empty() || before == nullptr
                                             ? std::string()
                                             : before + entry.detail + after});
        }
        appendList(text, shown, "");
    };
    section("These samples have no copy in the plug-in folder:", report.notCopied, " (", ")");
    // The trash's own path says little: the files are named by their old place.
    section("No other file held these, so they went to the trash:", report.trashed, nullptr, "");
    section("No other file held these and the trash could not take them; they were kept as:",
            report.kept, " -> ", "");
    return text;
}

std::vector<std::string> saveReportLines(const SaveReport& report) {
    std::vector<std::string> lines;
    const auto add = [&lines](const char* what, const std::vector<SaveReport::Entry>& entries,
                              const char* joint) {
        for (const SaveReport::Entry& entry : entries) {
            lines.push_back(std::string(what) + " " + entry.file +
                            (entry.detail.empty() ? "" : joint + entry.detail));
        }
    };
    add("renamed", report.renamed, " from ");
    add("copied", report.copied, " from ");
    add("replaced", report.replaced, " from ");
    add("removed", report.removed, "");
    add("trashed", report.trashed, " to ");
    add("kept", report.kept, " as ");
    add("not copied", report.notCopied, ": ");
    add("refused", report.refused, ": ");
    if (report.outcome == SaveReport::Outcome::Failed) {
        lines.push_back("failed: " + report.failure);
    }
    return lines;
}

} // namespace padsmith
