// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/AudioOutMenu.h"

#include "app/EditorOptions.h"
#include "audio/SoundSystem.h"

#include <QActionGroup>

namespace padsmith {

AudioOutMenu::AudioOutMenu(EditorOptions& options, std::function<AudioOutputs()> outputs,
                           QWidget* parent)
    : QMenu(QStringLiteral("Audio Out"), parent), options_(options), outputs_(std::move(outputs)) {
    connect(this, &QMenu::aboutToShow, this, &AudioOutMenu::rebuild);
    connect(this, &QMenu::triggered, this, [this](QAction* item) { select(item->data().toInt()); });
}

void AudioOutMenu::rebuild() {
    const AudioOutputs outputs = outputs_();
    deviceCount_ = static_cast<int>(outputs.names.size());
    clear();
    // The group of the last build goes with its entries.
    qDeleteAll(findChildren<QActionGroup*>(Qt::FindDirectChildrenOnly));
    auto* group = new QActionGroup(this);
    group->setExclusive(true);
    auto entry = [&](const QString& text, int id) {
        QAction* item = addAction(text);
        item->setData(id);
        item->setCheckable(true);
        item->setChecked(id == checked_);
        group->addAction(item);
    };
    const int first = EditorOptions::kAudioOutFirstEntry;
    entry(outputs.defaultName.isEmpty()
              ? QStringLiteral("Default output")
              : QStringLiteral("Default output (%1)").arg(outputs.defaultName),
          first);
    for (int k = 0; k < deviceCount_; ++k) {
        entry(outputs.names.at(k), first + 1 + k);
    }
}

void AudioOutMenu::select(int id) {
    const int first = EditorOptions::kAudioOutFirstEntry;
    if (id < first || id >= first + 1 + deviceCount_) {
        return;
    }
    checked_ = id;
    for (QAction* item : actions()) {
        item->setChecked(item->data().toInt() == id);
    }
    options_.setOutputDevice(id - (first + 1));
}

} // namespace padsmith
