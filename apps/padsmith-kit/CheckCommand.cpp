// SPDX-License-Identifier: GPL-3.0-or-later
// padsmith-kit check: the kit's health, grouped by pad or as JSON, and its fixes.
#include "CheckCommand.h"

#include "ToolSupport.h"
#include "audio/SampleSounds.h"
#include "kit/HealthFolders.h"
#include "kit/KitHealth.h"
#include "kit/KitScript.h"

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <nlohmann/json.hpp>

namespace padsmith::tool {

namespace {

namespace fs = std::filesystem;

// Every finding the kit shows with the samples and folders as they are on disk now.
struct Health {
    SoundTable sounds;
    FolderFacts folders;
    HealthInputs inputs;
};

void gather(Health& health, const KitDocument& kit, const KitLocation& location) {
    SampleFactsCache cache;
    health.sounds =
        soundsOfKit(kit, [&cache](const std::string& path) { return cache.measure(path); });
    health.folders = gatherFolderFacts(kit, location);
    health.inputs.codePage = location.codePage;
    health.inputs.sounds = lookupIn(health.sounds);
    health.inputs.folders = &health.folders;
}

void printFindings(const KitDocument& kit, const std::vector<HealthFinding>& findings) {
    int lastPad = -2;
    for (const HealthFinding& finding : findings) {
        if (finding.pad != lastPad) {
            lastPad = finding.pad;
            if (finding.pad < 0) {
                std::printf("Kit:\n");
            } else {
                std::printf("Pad %d (%s):\n", finding.pad + 1,
                            kit.pads[static_cast<std::size_t>(finding.pad)].label.c_str());
            }
        }
        std::string fixes;
        for (const HealthFix& fix : finding.fixes) {
            fixes += (fixes.empty() ? " [fix: " : ", ") + fix.name;
        }
        if (!fixes.empty()) {
            fixes += "]";
        }
        std::printf("  %-7s %-17s %s%s\n", std::string(severityName(finding.severity)).c_str(),
                    std::string(healthKindName(finding.kind)).c_str(), finding.message.c_str(),
                    fixes.c_str());
    }
}

nlohmann::json findingJson(const HealthFinding& finding) {
    nlohmann::json rows = nlohmann::json::array();
    for (const int row : finding.rows) {
        rows.push_back(row + 1);
    }
    nlohmann::json fixes = nlohmann::json::array();
    for (const HealthFix& fix : finding.fixes) {
        fixes.push_back(fix.name);
    }
    return {{"kind", healthKindName(finding.kind)},
            {"severity", severityName(finding.severity)},
            {"pad", finding.pad < 0 ? nlohmann::json(nullptr) : nlohmann::json(finding.pad + 1)},
            {"rows", rows},
            {"message", finding.message},
            {"fixes", fixes}};
}

std::string dumped(const nlohmann::json& json, int indent) {
    return json.dump(indent, ' ', false, nlohmann::json::error_handler_t::replace);
}

// The report as one JSON object, written a finding at a time: a big kit's findings are never
// all held as JSON at once. The text is what dumping the whole object would give.
void printJson(const fs::path& path, const ScriptReadReport& report,
               const std::vector<HealthFinding>& findings) {
    std::string out = "{\n  \"findings\": [";
    for (std::size_t i = 0; i < findings.size(); ++i) {
        out += i == 0 ? "\n    " : ",\n    ";
        const std::string finding = dumped(findingJson(findings[i]), 2);
        for (const char c : finding) {
            out += c;
            if (c == '\n') {
                out += "    ";
            }
        }
        if (out.size() > (1U << 16)) {
            std::cout << out;
            out.clear();
        }
    }
    out += findings.empty() ? "]" : "\n  ]";
    const nlohmann::json readInPart =
        report.readInPart() ? nlohmann::json(readInPartText(report)) : nlohmann::json(nullptr);
    out += ",\n  \"kit\": " + dumped(path.string(), 2) +
           ",\n  \"readInPart\": " + dumped(readInPart, 2) + "\n}\n";
    std::cout << out;
}

int exitCodeOf(const std::vector<HealthFinding>& findings, const ScriptReadReport& report,
               bool strict) {
    if (report.readInPart()) {
        return 2;
    }
    for (const HealthFinding& finding : findings) {
        if (finding.severity == Severity::Error ||
            (strict && finding.severity == Severity::Warning)) {
            return 1;
        }
    }
    return 0;
}

// Applies the fixes of one kind and writes the kit; false when it could not be written.
bool fixKit(KitDocument& kit, HealthKind kind, const fs::path& path, const Arguments& args,
            const KitLocation& location, Health& health) {
    const int fixed = applyHealthFixes(kit, kind, health.inputs);
    const std::string name(healthKindName(kind));
    if (fixed == 0) {
        std::fprintf(stderr, "padsmith-kit: no fix of %s applies; nothing written\n", name.c_str());
        return true;
    }
    const fs::path target = args.output ? fs::path(*args.output) : path;
    if (!writeKitKeepingHeader(kit, path, target, location.codePage)) {
        return false;
    }
    std::fprintf(stderr, "padsmith-kit: %d fix(es) of %s applied, written to %s\n", fixed,
                 name.c_str(), target.string().c_str());
    // Files and folders are as they were; what the kit plays has changed.
    health.sounds = soundsOfKit(kit, [](const std::string& source) {
        return std::make_shared<const SampleFacts>(measureSample(source));
    });
    return true;
}

} // namespace

int runCheck(const std::vector<std::string>& argv) {
    const auto args = parseArguments(argv);
    if (!args || args->positional.size() != 1) {
        return usageError("usage: " + std::string(kCheckUsage));
    }
    std::optional<HealthKind> fixKind;
    if (args->fix) {
        fixKind = healthKindFromName(*args->fix);
        if (!fixKind) {
            std::string kinds;
            for (int k = 0; k < kHealthKindCount; ++k) {
                kinds += (kinds.empty() ? "" : ", ") +
                         std::string(healthKindName(static_cast<HealthKind>(k)));
            }
            return usageError("unknown kind " + *args->fix + " (known: " + kinds + ")");
        }
    } else if (args->output) {
        return usageError("--output goes with --fix");
    }
    const fs::path path = args->positional[0];
    if (args->pluginDir && !fs::is_directory(*args->pluginDir)) {
        return usageError("plug-in folder " + *args->pluginDir + " does not exist");
    }
    const KitLocation location = locationFor(*args, path);
    KitDocument kit;
    ScriptReadReport report;
    // The file is read once; only a failed read looks again to say why.
    if (!loadKit(kit, path, location, std::nullopt, &report, true)) {
        if (!isKitScript(path, location.codePage)) {
            std::fprintf(stderr, "padsmith-kit: %s is not a kit script\n", path.string().c_str());
        }
        return 2;
    }
    Health health;
    gather(health, kit, location);
    if (fixKind) {
        // What could not be read would be lost by writing the kit back.
        if (refuseReadInPart(report, *args, path)) {
            return 2;
        }
        if (!fixKit(kit, *fixKind, path, *args, location, health)) {
            return 1;
        }
    }
    const std::vector<HealthFinding> findings = checkKitHealth(kit, health.inputs);
    // After a fix written elsewhere, the findings are those of the file written.
    const fs::path described = fixKind && args->output ? fs::path(*args->output) : path;
    if (args->json) {
        printJson(described, report, findings);
    } else {
        if (report.readInPart()) {
            std::printf("read in part: %s\n", readInPartText(report).c_str());
        }
        printFindings(kit, findings);
        if (findings.empty()) {
            std::printf("%s: no problems\n", described.string().c_str());
        }
    }
    return exitCodeOf(findings, report, args->strict);
}

} // namespace padsmith::tool
