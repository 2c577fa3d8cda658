// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "kit/KitHost.h"
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

// A fresh folder for one test, removed with everything in it afterwards.
class TempFolder {
public:
    TempFolder()
        : root_(std::filesystem::temp_directory_path() /
                ("padsmith-kit-" + std::to_string(std::random_device{}()))) {
        std::filesystem::create_directories(root_);
    }
    ~TempFolder() {
        std::error_code ec;
        std::filesystem::remove_all(root_, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return root_; }
    std::filesystem::path operator/(const std::string& relative) const { return root_ / relative; }

    // Writes a file (creating its folders) and returns its path.
    std::filesystem::path write(const std::string& relative, const std::string& bytes) const {
        const std::filesystem::path file = root_ / relative;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << bytes;
        return file;
    }
    static std::string read(const std::filesystem::path& file) {
        std::string bytes;
        return readWholeFile(file, bytes) ? bytes : std::string("(unreadable)");
    }

private:
    std::filesystem::path root_;
};

} // namespace padsmith::test
