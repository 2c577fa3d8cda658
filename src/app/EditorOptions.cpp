// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/EditorOptions.h"

#include "app/Text.h"
#include "audio/MidiInput.h"
#include "audio/SampleCache.h"
#include "platform/SettingsStore.h"

#include <algorithm>

namespace padsmith {

namespace {

const QString kShared = QStringLiteral("flShared");
const QString kWaveEditor = QStringLiteral("WaveEditor");
const QString kWaveOut = QStringLiteral("WaveOutChk");
constexpr int kLargestCacheMiB = 64 * 1024;

} // namespace

EditorOptions::EditorOptions(SettingsStore& settings) : settings_(settings) {}

void EditorOptions::load() {
    shareSamples_ = settings_.readNumber(kShared, 0) != 0;
    waveEditor_ = settings_.readString(kWaveEditor);
    const QString name = readCodePageName(settings_);
    const auto page = CodePage::byName(toStd(name));
    // Without a CodePage value the default is taken, and a kit in UTF-8 is still recognised.
    codePage_ = page && codePageNamed(settings_) ? *page : CodePage();
    unknownCodePage_ = page ? QString() : name;
}

void EditorOptions::setCodePage(const CodePage& page) {
    codePage_ = page;
    unknownCodePage_.clear();
    writeCodePageName(settings_, fromStd(std::string(page.name())));
}

void EditorOptions::setShareSamples(bool on) {
    shareSamples_ = on;
    settings_.writeNumber(kShared, on ? 8 : 0);
}

void EditorOptions::setWaveEditor(const QString& path) {
    waveEditor_ = path;
    settings_.writeString(kWaveEditor, path);
}

void EditorOptions::setOutputDevice(int device) {
    outputDevice_ = device < 0 ? -1 : device;
    settings_.writeNumber(kWaveOut, kAudioOutFirstEntry + 1 + outputDevice_);
}

int EditorOptions::storedAudioOutEntry() const {
    return settings_.readNumber(kWaveOut, kAudioOutFirstEntry);
}

std::size_t EditorOptions::sampleCacheBytes() const {
    const int fallback = static_cast<int>(SampleCache::kDefaultLimitMiB);
    int mebibytes = settings_.readNumber(QString::fromLatin1(SampleCache::kLimitSetting), fallback);
    if (mebibytes < 0) {
        mebibytes = fallback;
    }
    return static_cast<std::size_t>(std::min(mebibytes, kLargestCacheMiB)) * 1024 * 1024;
}

QString EditorOptions::midiSystem() const {
    return settings_.readString(QString::fromLatin1(MidiInput::kApiSetting));
}

} // namespace padsmith
