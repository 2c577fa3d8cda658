// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AppFixture.h"
#include "app/MidiRouter.h"
#include "audio/MidiInput.h"
#include "audio/SampleFiles.h"

#include <QtTest>
#include <initializer_list>
#include <string>

namespace padsmith::test {

// A zone whose sample is a real WAVE file of its own length, so that the preview's info text
// tells which sample played.
struct TimedSample {
    int pad;
    const char* name; // under library/
    int key;
    int velocityLow;
    int velocityHigh;
    int milliseconds;
};

// Lets `input` play into `window`, as the sound system's own MIDI input does.
inline void connectKeyboard(MainWindow& window, MidiInput& input) {
    QObject::connect(&input, &MidiInput::message, &midiRouter(window), &MidiRouter::handleMessage);
}

// Writes the samples and a kit script of them (drums.txt), and opens it in a shown window that
// `input` plays into.
inline MainWindow& openTimedKit(AppFixture& app, MidiInput& input,
                                std::initializer_list<TimedSample> samples) {
    KitDocument kit;
    for (const TimedSample& sample : samples) {
        const QString file = app.path(QStringLiteral("library/") + sample.name);
        QDir().mkpath(QFileInfo(file).absolutePath());
        padsmith::testing::writeFile(
            toFsPath(file), padsmith::testing::waveFile(
                                1, 1, 8000, 16, std::string(16U * sample.milliseconds, '\0')));
        SampleZone zone;
        zone.padNumber = sample.pad + 1;
        zone.key = sample.key;
        zone.velocityLow = sample.velocityLow;
        zone.velocityHigh = sample.velocityHigh;
        zone.sampleName = sample.name;
        zone.sourcePath = toStd(file);
        kit.pads[static_cast<std::size_t>(sample.pad)].append(zone);
    }
    const QString file = app.path("drums.txt");
    AppFixture::touch(file, QByteArray::fromStdString(formatKitScript(kit)));

    MainWindow& window = app.open(false);
    connectKeyboard(window, input);
    window.document().openKitPath(file);
    window.show();
    if (!QTest::qWaitForWindowActive(&window)) {
        qWarning("window not active");
    }
    return window;
}

} // namespace padsmith::test
