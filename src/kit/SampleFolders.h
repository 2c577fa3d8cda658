// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "kit/CodePage.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

namespace padsmith {

class KitHost;

// "ZARVO SAMPLES" when samples are shared, else the kit's own folder.
std::string chooseSampleFolder(bool shareSamples, const std::string& kitName);

// "<???> path": a source path whose file was not found. A path carries at most one mark.
std::string markMissing(const std::string& path);
bool isMarkedMissing(const std::string& path);
std::string withoutMissingMark(const std::string& path);

// A source path that names a file to copy from: not empty, not "???", not marked missing.
bool isCopyableSource(const std::string& source);

// The kit's own sample folder in the plug-in folder when samples are not shared; nothing when
// they are, when there is no plug-in folder, or when the kit's folder name would lead out of
// the plug-in folder or into the shared folder.
std::optional<std::filesystem::path> ownSampleFolder(const std::string& sampleFolder,
                                                     const std::filesystem::path& pluginFolder,
                                                     bool shareSamples);

// Finds samples whose source file has moved, by file name, under one search folder that the
// user names once per kit read. The folder is walked once; every later lookup uses the index.
class SampleFinder {
public:
    explicit SampleFinder(KitHost& host);

    // The path unchanged when its file exists; else the first file of the same name under
    // the search folder (depth first, files before subfolders, names in order; a name in the
    // same letter case first, else one that differs only in case); else the marked path.
    // A marked path is unmarked when its file is back, else searched by its own name again.
    // When no file has the path's name, a file named `sampleName` (the name of the copy in the
    // plug-in folder, which a rename may have made differ) is taken, but not one inside the
    // plug-in folder: there a name like "kick.wav" is as likely another kit's sample.
    // Empty when the user declined to name a search folder.
    std::optional<std::string> findSample(int pad, int zone, const std::string& path,
                                          const std::string& sampleName = {});
    // The path unchanged (or unmarked) when its file exists, else marked; never asks or searches.
    static std::string checkSample(const std::string& path);

    void setSearchFolder(const std::filesystem::path& folder);
    // The plug-in folder, which the search by sample name leaves out.
    void setPluginFolder(const std::filesystem::path& folder) { pluginFolder_ = folder; }
    const std::filesystem::path& searchFolder() const { return searchFolder_; }
    // Never ask for a folder: missing samples are just marked.
    void setAskForFolder(bool ask) { askForFolder_ = ask; }
    // Forgets the search folder and its index (at the end of every kit read).
    void forget();

private:
    struct Index;
    KitHost& host_;
    std::filesystem::path searchFolder_;
    std::filesystem::path pluginFolder_;
    bool askForFolder_ = true;
    std::shared_ptr<Index> index_;
};

// Every sample name that a kit script in the plug-in folder with `sampleFolder` as its sample
// folder names, letter case folded (foldCase): on a case-sensitive file system a kit written on
// Windows may name "Kick.wav" for the file "kick.wav". The scripts are read in `page` (or as
// UTF-8, see decodeFileText), and the names the plug-in would read in its code page count too.
// When a script cannot be read, or was read only in part where it may name samples of that
// folder, `refusal` says which and the names are incomplete.
std::unordered_set<std::string> sampleNamesUsedIn(const std::filesystem::path& pluginFolder,
                                                  const std::string& sampleFolder,
                                                  const CodePage& page,
                                                  std::optional<std::string>& refusal);

// Removes from the shared sample folder every file that no kit script in the plug-in folder
// (with "ZARVO SAMPLES" as its sample folder) names, in any letter case. The scripts are read
// in `page` (or as UTF-8, see decodeFileText). Subfolders, dot-files and files whose names are
// no UTF-8 text stay. Nothing is deleted when a script cannot be read, or was read only in part
// where its samples are named; the host is then told which one.
// Returns the files deleted (or, with `dryRun`, the files that would be).
std::vector<std::filesystem::path> deleteUnusedSamples(const std::filesystem::path& pluginFolder,
                                                       KitHost& host, bool dryRun = false,
                                                       const CodePage& page = CodePage());

} // namespace padsmith
