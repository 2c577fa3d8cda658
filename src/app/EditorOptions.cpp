#include "app/EditorOptions.h"

#include "app/Text.h"
#include "platform/SettingsStore.h"

namespace padsmith {

namespace {

const QString kShared = QStringLiteral("flShared");
const QString kWaveEditor = QStringLiteral("WaveEditor");
const QString kWaveOut = QStringLiteral("WaveOutChk");

} // namespace

EditorOptions::EditorOptions(SettingsStore& settings) : settings_(settings) {}

void EditorOptions::load() {
    shareSamples_ = settings_.readNumber(kShared, 0) != 0;
    waveEditor_ = settings_.readString(kWaveEditor);
    const QString name = readCodePageName(settings_);
    const auto page = CodePage::byName(toStd(name));
    codePage_ = page.value_or(CodePage());
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

} // namespace padsmith
