#include "audio/Preview.h"

#include "audio/AudioFile.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QBuffer>
#include <QByteArray>
#include <QMediaDevices>
#include <algorithm>
#include <cstdint>
#include <limits>

namespace padsmith {
namespace {

// Device -1 (and any number the system no longer has) is the default output.
QAudioDevice outputDevice(int device) {
    const QList<QAudioDevice> outputs = QMediaDevices::audioOutputs();
    if (device >= 0 && device < outputs.size()) {
        return outputs.at(device);
    }
    const QAudioDevice preferred = QMediaDevices::defaultAudioOutput();
    return preferred.isNull() ? outputs.value(0) : preferred;
}

} // namespace

AudioOutputs audioOutputs() {
    AudioOutputs outputs;
    outputs.defaultName = QMediaDevices::defaultAudioOutput().description();
    for (const QAudioDevice& device : QMediaDevices::audioOutputs()) {
        outputs.names.append(device.description());
    }
    return outputs;
}

// The preview in progress. The sink reads from `source`, which reads `data` in place; all three
// stay alive until the next preview or a stop, because the sink asks for data long after
// previewSample has returned.
struct PreviewPlayer::State {
    SampleBuffer data;
    QByteArray bytes;
    std::unique_ptr<QBuffer> source;
    std::unique_ptr<QAudioSink> sink;
    QString info;
};

PreviewPlayer::PreviewPlayer() : state_(std::make_unique<State>()) {}

PreviewPlayer::~PreviewPlayer() {
    stopPreview();
}

void PreviewPlayer::previewSample(const std::string& path, int device) {
    stopPreview();
    if (path.empty()) {
        return;
    }
    // The file is read whole and closed here, so it can be renamed or deleted while it plays.
    PlayableSample sample = readSample(path);
    state_->info = QString::fromStdString(sample.infoText);
    const SampleFormat& format = sample.format;
    if (sample.data.empty() || format.channels == 0 || format.samplesPerSecond == 0 ||
        format.samplesPerSecond > static_cast<std::uint32_t>(std::numeric_limits<int>::max())) {
        return;
    }
    const QAudioDevice output = outputDevice(device);
    if (output.isNull()) {
        return;
    }

    QAudioFormat audioFormat;
    audioFormat.setSampleRate(static_cast<int>(format.samplesPerSecond));
    audioFormat.setChannelCount(format.channels);
    audioFormat.setSampleFormat(QAudioFormat::Int16);

    State& state = *state_;
    state.data = std::move(sample.data);
    state.bytes =
        QByteArray::fromRawData(state.data.data(), static_cast<qsizetype>(state.data.size()));
    state.source = std::make_unique<QBuffer>(&state.bytes);
    state.source->open(QIODevice::ReadOnly);
    // A device that refuses the format stays silent; the next preview simply tries again.
    state.sink = std::make_unique<QAudioSink>(output, audioFormat);
    state.sink->start(state.source.get());
}

void PreviewPlayer::stopPreview() {
    State& state = *state_;
    // The sink goes first: it must not read from a buffer that is already gone.
    if (state.sink) {
        state.sink->stop();
        state.sink.reset();
    }
    state.source.reset();
    state.bytes.clear();
    state.data = SampleBuffer();
    state.info.clear();
}

QString PreviewPlayer::infoText() const {
    return state_->info;
}

bool PreviewPlayer::isPreviewing() const {
    const State& state = *state_;
    return state.sink && state.sink->error() == QAudio::NoError &&
           state.sink->state() != QAudio::StoppedState;
}

bool PreviewPlayer::dataHandedOver() const {
    const State& state = *state_;
    return state.sink && state.source && state.source->atEnd() &&
           state.sink->state() != QAudio::ActiveState;
}

int PreviewPlayer::bufferedMilliseconds() const {
    const State& state = *state_;
    if (!state.sink) {
        return 0;
    }
    const qint64 microseconds = state.sink->format().durationForBytes(
        static_cast<qint32>(std::min<qsizetype>(state.sink->bufferSize(), INT32_MAX)));
    return static_cast<int>(microseconds / 1000);
}

} // namespace padsmith
