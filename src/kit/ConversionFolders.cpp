// SPDX-License-Identifier: GPL-3.0-or-later
#include "kit/ConversionFolders.h"

#include "kit/SampleFolders.h"
#include "platform/Files.h"

#include <algorithm>
#include <chrono>
#include <map>
#include <set>
#include <system_error>
#include <vector>

namespace padsmith {

namespace fs = std::filesystem;

bool keepSources(KitDocument& kit, const fs::path& workFolder, const fs::path& keepFolder,
                 std::string& error) {
    std::error_code ec;
    const fs::path work = fs::absolute(workFolder, ec).lexically_normal();
    const fs::path keep = fs::absolute(keepFolder, ec).lexically_normal();
    std::map<std::string, std::string> moved;
    for (Pad& pad : kit.pads) {
        for (std::size_t i = 0; i < pad.size(); ++i) {
            SampleZone& zone = pad.at(i);
            if (!isCopyableSource(zone.sourcePath)) {
                continue;
            }
            if (const auto known = moved.find(zone.sourcePath); known != moved.end()) {
                zone.sourcePath = known->second;
                continue;
            }
            const fs::path relative =
                fs::path(zone.sourcePath).lexically_normal().lexically_relative(work);
            if (relative.empty() || *relative.begin() == "..") {
                continue;
            }
            const fs::path target = keep / relative;
            if (!createFolderChain(target.parent_path())) {
                error = "can't create " + target.parent_path().string();
                return false;
            }
            const bool there =
                fs::is_regular_file(target, ec) && fileSize(target) == fileSize(zone.sourcePath);
            if (!there && !movePath(zone.sourcePath, target, ec)) {
                error = "can't keep " + zone.sourcePath + " in " + keepFolder.string() + ": " +
                        ec.message();
                return false;
            }
            moved[zone.sourcePath] = target.string();
            zone.sourcePath = target.string();
        }
    }
    return true;
}

fs::path conversionsFolder(const fs::path& cacheFolder) {
    return cacheFolder / "conversions";
}

fs::path conversionFolder(const fs::path& cacheFolder) {
    const fs::path parent = conversionsFolder(cacheFolder);
    std::error_code ec;
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    for (int n = 0;; ++n) {
        const fs::path folder = parent / (std::to_string(stamp) + "-" + std::to_string(n));
        createFolderChain(parent);
        if (fs::create_directory(folder, ec) || n > 100) {
            return folder;
        }
    }
}

fs::path droppedSamplesFolder(const fs::path& cacheFolder) {
    return conversionsFolder(cacheFolder) / "dropped";
}

void keepOnly(const KitDocument& kit, const fs::path& workFolder) {
    std::set<fs::path> played;
    for (const Pad& pad : kit.pads) {
        for (const SampleZone& zone : pad) {
            if (isCopyableSource(zone.sourcePath)) {
                played.insert(fs::path(zone.sourcePath).lexically_normal());
            }
        }
    }
    std::error_code ec;
    std::vector<fs::path> unused;
    for (fs::recursive_directory_iterator it(workFolder, ec), end; !ec && it != end;
         it.increment(ec)) {
        if (!it->is_directory(ec) && !played.contains(it->path().lexically_normal())) {
            unused.push_back(it->path());
        }
    }
    for (const fs::path& file : unused) {
        fs::remove(file, ec);
    }
    // Folders left empty go, deepest first.
    std::vector<fs::path> folders;
    for (fs::recursive_directory_iterator it(workFolder, ec), end; !ec && it != end;
         it.increment(ec)) {
        if (it->is_directory(ec)) {
            folders.push_back(it->path());
        }
    }
    std::sort(folders.rbegin(), folders.rend());
    folders.push_back(workFolder);
    for (const fs::path& folder : folders) {
        if (fs::is_empty(folder, ec) && !ec) {
            fs::remove(folder, ec);
        }
    }
}

} // namespace padsmith
