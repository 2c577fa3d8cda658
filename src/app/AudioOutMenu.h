// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMenu>
#include <functional>

namespace padsmith {

class EditorOptions;
struct AudioOutputs;

// The "Audio Out" menu: the default output and each output the system lists, one radio
// group, built again each time it opens (outputs come and go). Entry k carries the number
// EditorOptions::kAudioOutFirstEntry + k, which the settings keep; entry 0 is the default
// output. A chosen entry is selected at once.
class AudioOutMenu : public QMenu {
    Q_OBJECT
public:
    // `outputs` lists the system's outputs when the menu is built.
    AudioOutMenu(EditorOptions& options, std::function<AudioOutputs()> outputs, QWidget* parent);

    void rebuild();
    // Chooses entry `id` as if the user had picked it: the radio mark moves there and the
    // output is stored. Ids of entries that do not exist are ignored.
    void select(int id);
    int checkedEntry() const { return checked_; }

private:
    EditorOptions& options_;
    std::function<AudioOutputs()> outputs_;
    int checked_ = 0; // id of the checked entry, 0 for none
    int deviceCount_ = 0;
};

} // namespace padsmith
