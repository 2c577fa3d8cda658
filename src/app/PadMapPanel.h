// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "kit/KitHealth.h"
#include "kit/PadMap.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QThreadPool>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class QScrollArea;
class QSplitter;
class QWidget;

namespace padsmith {

class Audition;
class EditPath;
class PadMapView;
class SampleFactsCache;
class SettingsStore;
class WaveformView;
class ZoneListPanel;

// Puts a pad's map into `view`, each block with the tooltip `toolTip` gives it.
void showPadMap(PadMapView& view, const PadMap& map,
                const std::function<QString(const MapBlock&)>& toolTip);

// The velocity map of the current pad and the waveform of the selected zone's sample, under
// the zone list. A click on the map plays the zone a note of that key and velocity reaches
// within the pad and selects its row (Ctrl+click only selects); dragging a block's edge changes
// its velocity window as one undo step; every MIDI note-on is marked on its key's lane.
// The list and the two panes share the room between the kit fields and the pads: the panes
// appear once the window is tall enough, and where the user puts the dividers is remembered.
class PadMapPanel : public QObject {
    Q_OBJECT
public:
    // Height of the zone area from which the panes are shown while the user has not placed
    // the dividers.
    static constexpr int kRoomForPanes = 400;
    // The setting that keeps the dividers' places.
    static constexpr const char* kPanesSetting = "PadMapPanes";

    struct Services {
        KitDocument& kit;
        EditPath& edits;
        ZoneListPanel& zones; // the list the panes share their room with
        Audition& audition;
        std::shared_ptr<SampleFactsCache> facts;
        SettingsStore& settings;
        std::function<void()> commandsChanged; // the enabling is due again
    };
    PadMapPanel(Services services, QWidget* client);

    // The list and the panes, to be placed where the zone list was.
    QSplitter* area() const { return area_; }
    PadMapView* map() const { return map_; }
    WaveformView* waveform() const { return waveform_; }
    bool panesShown() const;
    // The map as drawn now.
    const PadMap& padMap() const { return model_; }

    // Shows the current pad again from the kit (coalesced: at most once per event loop turn).
    void refresh();
    // Now, not coalesced.
    void refreshNow();

    // Where the player stands in a sounding file, in the file's frames (nothing when the file
    // does not sound): the waveform's played position follows it.
    using PlayedFrame = std::function<std::optional<std::uint64_t>(const std::string& path)>;
    void setPlayedFrame(PlayedFrame played);

    // A MIDI note-on was taken: its hit is marked on the key's lane.
    void showNote(int note, int velocity);
    // Marks a note as the zone at `row` of `pad` played it (pad -1: none did), whatever pad is
    // current: a groove's notes.
    void showPlayedNote(int note, int velocity, int pad, int row);

private:
    void areaResized();
    void showPanes(bool shown);
    void showMap(const KitDocument& kit, const PadMap& map);
    void showSelection();
    void showWaveform();
    void followPlayer();
    void clicked(int lane, int velocity, Qt::KeyboardModifiers modifiers);
    void edgeMoved(int row, bool highEdge, int velocity);
    void dragFinished(int row, bool highEdge, int velocity);
    QString blockToolTip(const KitDocument& kit, const MapBlock& block,
                         const std::vector<HealthFinding>& findings) const;

    Services s_;
    QSplitter* area_;
    QScrollArea* mapScroll_;
    PadMapView* map_;
    WaveformView* waveform_;
    PadMap model_;
    int shownPad_ = -1;
    bool refreshQueued_ = false;
    bool userPlacedPanes_ = false;
    std::string wavePath_; // the file the waveform shows or waits for
    std::uint32_t waveRate_ = 0;
    PlayedFrame played_;
    QTimer follow_; // the played position, while the waveform shows a sample
    // Measures a sample the facts do not know yet; last, so it is waited for first.
    QThreadPool measuring_;
};

} // namespace padsmith
