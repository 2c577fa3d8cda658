// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "TempFolder.h"
#include "kit/KitChecks.h"
#include "kit/KitHost.h"
#include "kit/KitSave.h"
#include "kit/KitScript.h"
#include "kit/SampleFolders.h"
#include "platform/Files.h"

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace padsmith::test {

// A window stand-in that records what kit operations ask of it and answers folder questions
// from a queue (empty text, that is "cancel", when the queue is empty).
class FakeHost : public KitHost {
public:
    void selectPad(int pad, int zone) override { selections.emplace_back(pad, zone); }
    std::string browseForFolder(const std::string& startFolder,
                                const std::string& prompt) override {
        prompts.push_back(prompt);
        (void)startFolder;
        if (answers.empty()) {
            return {};
        }
        std::string answer = answers.front();
        answers.erase(answers.begin());
        return answer;
    }
    void showMessage(MessageIcon icon, const std::string& text) override {
        messages.emplace_back(icon, text);
    }
    void setBusy(bool busy) override {
        busyDepth += busy ? 1 : -1;
        everBusy = everBusy || busy;
    }
    void pumpMessages() override { ++pumps; }
    void stopPreview() override { ++previewStops; }

    std::vector<std::pair<int, int>> selections;
    std::vector<std::string> prompts;
    std::vector<std::string> answers;
    std::vector<std::pair<MessageIcon, std::string>> messages;
    int busyDepth = 0;
    bool everBusy = false;
    int pumps = 0;
    int previewStops = 0;
};

// A save as the editor makes it: the report shown through `host` (a double-defined note at its
// zone, anything else as one message). `notCopied` gets "Rock/kick.wav (why)" for each sample
// without a copy. True when the kit was saved.
inline bool saveShown(KitDocument& kit, const std::filesystem::path& path,
                      const KitLocation& location, KitHost& host, bool fresh,
                      std::vector<std::string>* notCopied = nullptr) {
    SaveOptions options;
    options.freshSampleFolder = fresh;
    const SaveReport report = saveKit(kit, path, location, options);
    if (report.doubleNote) {
        checkKitNotes(kit, &host);
    } else if (const std::string text = saveReportMessage(report); !text.empty()) {
        host.showMessage(report.saved() ? MessageIcon::Warning : MessageIcon::Error, text);
    }
    if (notCopied != nullptr) {
        notCopied->clear();
        for (const SaveReport::Entry& entry : report.notCopied) {
            notCopied->push_back(std::filesystem::path(entry.file).string() + " (" + entry.detail +
                                 ")");
        }
    }
    return report.saved();
}

// A test folder holding the plug-in folder "Zarvo", a host, and the location of the kits saved
// there.
struct PluginFolder {
    PluginFolder() {
        std::filesystem::create_directories(plugin);
        location.pluginFolder = plugin;
    }
    // Reads the kit script at `path` as the editor opens one.
    bool read(KitDocument& kit, const std::filesystem::path& path) {
        SampleFinder finder(host);
        finder.setAskForFolder(askForFolder);
        return readKitScript(kit, path, location, host, finder);
    }

    TempFolder folder;
    FakeHost host;
    std::filesystem::path plugin = folder / "Zarvo";
    KitLocation location;
    bool askForFolder = true; // whether a read asks where missing samples went
};

} // namespace padsmith::test
