// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/PadMapPanel.h"

#include "app/Audition.h"
#include "app/EditPath.h"
#include "app/Text.h"
#include "app/ZoneListPanel.h"
#include "audio/AudioFile.h"
#include "audio/SampleFacts.h"
#include "kit/KitHealth.h"
#include "kit/NoteNames.h"
#include "kit/Trigger.h"
#include "platform/SettingsStore.h"
#include "ui/CellTableView.h"
#include "ui/PadMapView.h"
#include "ui/WaveformView.h"

#include <QCursor>
#include <QEvent>
#include <QItemSelectionModel>
#include <QScrollArea>
#include <QSplitter>
#include <QTimer>
#include <QToolTip>
#include <cmath>

namespace padsmith {

namespace {

constexpr int kWaveHeight = 90;
constexpr int kMapHeight = 150;

constexpr int kFollowMs = 30;

QString channelsText(int channels) {
    switch (channels) {
    case 1:
        return PadMapPanel::tr("mono");
    case 2:
        return PadMapPanel::tr("stereo");
    default:
        return PadMapPanel::tr("%1 channels").arg(channels);
    }
}

// The waveform strip's view of what was measured in a sample file.
WaveformContent waveformOf(const SampleFacts& facts) {
    WaveformContent content;
    const std::uint32_t rate = facts.format.samplesPerSecond;
    for (std::size_t c = 0; c < facts.format.channels; ++c) {
        const SampleFacts::Span* spans = facts.channelEnvelope(c);
        QList<EnvelopeBucket> buckets;
        for (std::size_t b = 0; spans != nullptr && b < facts.buckets; ++b) {
            buckets.append({static_cast<float>(spans[b].min) / 32768.0F,
                            static_cast<float>(spans[b].max) / 32767.0F});
        }
        content.channels.append(buckets);
    }
    content.seconds = rate == 0 ? 0.0 : static_cast<double>(facts.frames) / rate;
    const double peak = facts.peakDecibels();
    content.details.append(std::isfinite(peak)
                               ? PadMapPanel::tr("Peak %1 dBFS").arg(peak, 0, 'f', 1)
                               : PadMapPanel::tr("Silent"));
    content.details.append(fromStd(durationText(facts.frames, rate)));
    content.details.append(PadMapPanel::tr("%1 bit / %2 kHz, %3")
                               .arg(facts.format.bitsPerSample)
                               .arg(rate / 1000.0, 0, 'g', 3)
                               .arg(channelsText(facts.format.channels)));
    if (facts.silentStart() && rate != 0) {
        content.silentUntil = static_cast<double>(facts.leadingSilence) / rate;
        content.details.append(PadMapPanel::tr("Silence at the start: %1 ms")
                                   .arg(std::lround(content.silentUntil * 1000)));
    }
    for (const std::uint64_t frame : facts.clips) {
        content.clips.append(rate == 0 ? 0.0 : static_cast<double>(frame) / rate);
    }
    if (!facts.clips.empty()) {
        content.details.append(
            facts.clips.size() == 1
                ? PadMapPanel::tr("Clipped in 1 place")
                : PadMapPanel::tr("Clipped in %1 places").arg(facts.clips.size()));
    }
    return content;
}

QString unreadableText(const SampleFacts& facts) {
    switch (facts.state) {
    case SampleFacts::State::Missing:
        return PadMapPanel::tr("The sample file is missing");
    case SampleFacts::State::Unreadable:
        return PadMapPanel::tr("Not a WAVE or AIFF file");
    case SampleFacts::State::NotPcm:
        return PadMapPanel::tr("Compressed or unusual sample data");
    default:
        return {};
    }
}

QList<VelocityRange> rangesOf(const std::vector<VelocitySpan>& spans) {
    QList<VelocityRange> ranges;
    for (const VelocitySpan& span : spans) {
        ranges.append({span.low, span.high});
    }
    return ranges;
}

// Forwards the resizes of one widget.
class ResizeWatcher : public QObject {
public:
    ResizeWatcher(QWidget* watched, std::function<void()> resized)
        : QObject(watched), resized_(std::move(resized)) {
        watched->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Resize) {
            resized_();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> resized_;
};

} // namespace

PadMapPanel::PadMapPanel(Services services, QWidget* client)
    : QObject(client), s_(std::move(services)), area_(new QSplitter(Qt::Vertical, client)),
      mapScroll_(new QScrollArea), map_(new PadMapView), waveform_(new WaveformView) {
    CellTableView* list = s_.zones.view();
    area_->setObjectName(QStringLiteral("zoneArea"));
    area_->setGeometry(list->geometry());
    area_->setHandleWidth(5);
    area_->setChildrenCollapsible(true);
    area_->addWidget(list);
    map_->setObjectName(QStringLiteral("padMap"));
    map_->setEmptyText(tr("This pad has no zones"));
    mapScroll_->setWidget(map_);
    mapScroll_->setWidgetResizable(true);
    mapScroll_->setFrameShape(QFrame::NoFrame);
    area_->addWidget(mapScroll_);
    waveform_->setObjectName(QStringLiteral("waveform"));
    area_->addWidget(waveform_);
    area_->setCollapsible(0, false);
    area_->setStretchFactor(0, 3);
    area_->setStretchFactor(1, 2);
    area_->setStretchFactor(2, 0);
    waveform_->setText(tr("No sample selected"));

    const QByteArray placed =
        QByteArray::fromBase64(s_.settings.readString(kPanesSetting).toLatin1());
    if (!placed.isEmpty() && area_->restoreState(placed)) {
        userPlacedPanes_ = true;
        mapScroll_->show();
        waveform_->show();
    } else {
        showPanes(false);
    }
    connect(area_, &QSplitter::splitterMoved, this, [this] {
        userPlacedPanes_ = true;
        s_.settings.writeString(kPanesSetting, QString::fromLatin1(area_->saveState().toBase64()));
    });
    new ResizeWatcher(area_, [this] { areaResized(); });

    connect(map_, &PadMapView::clicked, this, &PadMapPanel::clicked);
    connect(map_, &PadMapView::edgeMoved, this, &PadMapPanel::edgeMoved);
    connect(map_, &PadMapView::dragFinished, this, &PadMapPanel::dragFinished);
    connect(map_, &PadMapView::dragCancelled, this, &PadMapPanel::refresh);

    // The pad shown, its rows and the other pads (which decide what this one really plays)
    // all come through the list's model or the edit path.
    QAbstractItemModel* rows = list->model();
    connect(rows, &QAbstractItemModel::modelReset, this, &PadMapPanel::refresh);
    connect(rows, &QAbstractItemModel::layoutChanged, this, &PadMapPanel::refresh);
    connect(rows, &QAbstractItemModel::dataChanged, this, &PadMapPanel::refresh);
    connect(rows, &QAbstractItemModel::rowsInserted, this, &PadMapPanel::refresh);
    connect(rows, &QAbstractItemModel::rowsRemoved, this, &PadMapPanel::refresh);
    connect(&s_.edits, &EditPath::padsChanged, this, &PadMapPanel::refresh);
    connect(list->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &PadMapPanel::showSelection);
    connect(list->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &PadMapPanel::showSelection);
    follow_.setInterval(kFollowMs);
    connect(&follow_, &QTimer::timeout, this, &PadMapPanel::followPlayer);
    measuring_.setMaxThreadCount(1);
    refreshNow();
}

bool PadMapPanel::panesShown() const {
    return mapScroll_->isVisible() && area_->sizes().value(1) > 0;
}

void PadMapPanel::areaResized() {
    if (!userPlacedPanes_) {
        showPanes(area_->height() >= kRoomForPanes);
    }
}

void PadMapPanel::showPanes(bool shown) {
    if (shown == !mapScroll_->isHidden()) {
        return;
    }
    mapScroll_->setVisible(shown);
    waveform_->setVisible(shown);
    if (shown) {
        const int room = area_->height() - 2 * area_->handleWidth();
        // The map as tall as its lanes want, within reason; the list keeps the rest.
        const int map = std::clamp(map_->sizeHint().height() + 8, kMapHeight / 2,
                                   std::max(kMapHeight, (room - kWaveHeight) * 2 / 5));
        area_->setSizes({room - map - kWaveHeight, map, kWaveHeight});
    }
}

void PadMapPanel::refresh() {
    if (refreshQueued_) {
        return;
    }
    refreshQueued_ = true;
    QTimer::singleShot(0, this, [this] {
        if (refreshQueued_) {
            refreshNow();
        }
    });
}

void PadMapPanel::refreshNow() {
    refreshQueued_ = false;
    const KitDocument& kit = s_.kit;
    shownPad_ = kit.currentPad;
    model_ = padsmith::padMap(kit, shownPad_);
    showMap(kit, model_);
    showSelection();
}

void PadMapPanel::showMap(const KitDocument& kit, const PadMap& map) {
    // A zone that never plays carries the health check's word on it.
    std::vector<HealthFinding> findings = padPlayFindings(kit, shownPad_);
    std::erase_if(findings,
                  [](const HealthFinding& f) { return f.kind != HealthKind::NeverPlays; });
    showPadMap(*map_, map,
               [&](const MapBlock& block) { return blockToolTip(kit, block, findings); });
}

void showPadMap(PadMapView& view, const PadMap& map,
                const std::function<QString(const MapBlock&)>& toolTip) {
    QList<MapViewLane> lanes;
    for (const MapLane& lane : map.lanes) {
        lanes.append({fromStd(noteName(lane.key)), lane.tiers, rangesOf(lane.gaps),
                      rangesOf(lane.elsewhere)});
    }
    QList<MapViewBlock> blocks;
    for (const MapBlock& block : map.blocks) {
        blocks.append({block.row,
                       block.lane,
                       block.tier,
                       {block.window.low, block.window.high},
                       rangesOf(block.plays),
                       fromStd(block.label),
                       toolTip(block)});
    }
    view.setContent(std::move(lanes), std::move(blocks));
}

QString PadMapPanel::blockToolTip(const KitDocument& kit, const MapBlock& block,
                                  const std::vector<HealthFinding>& findings) const {
    QString text = tr("Row %1: %2\nVelocity %3–%4")
                       .arg(block.row + 1)
                       .arg(fromStd(block.label))
                       .arg(block.window.low)
                       .arg(block.window.high);
    for (const HealthFinding& finding : findings) {
        if (std::find(finding.rows.begin(), finding.rows.end(), block.row) != finding.rows.end()) {
            return text + '\n' + fromStd(finding.message);
        }
    }
    if (block.takenBy) {
        const int key = kit.pads[static_cast<std::size_t>(shownPad_)]
                            .at(static_cast<std::size_t>(block.row))
                            .key;
        const QString first =
            block.takenBy->pad == shownPad_
                ? tr("row %1").arg(block.takenBy->position + 1)
                : tr("pad %1 row %2").arg(block.takenBy->pad + 1).arg(block.takenBy->position + 1);
        text += '\n' + (block.neverPlays() ? tr("Never plays: %1 takes %2 first")
                                           : tr("Plays only in part: %1 takes %2 first"))
                           .arg(first, fromStd(noteName(key)));
    }
    return text;
}

void PadMapPanel::showSelection() {
    map_->setSelected(s_.zones.selectedRows());
    showWaveform();
}

void PadMapPanel::showWaveform() {
    const ZoneListPanel& zones = s_.zones;
    const QList<int> selected = zones.selectedRows();
    int row = zones.currentRow();
    if (!selected.contains(row)) {
        row = selected.isEmpty() ? -1 : selected.first();
    }
    const Pad& pad = s_.kit.current();
    if (row < 0 || static_cast<std::size_t>(row) >= pad.size()) {
        wavePath_.clear();
        follow_.stop();
        waveform_->setText(tr("No sample selected"));
        return;
    }
    const std::string path = pad.at(static_cast<std::size_t>(row)).sourcePath;
    const std::shared_ptr<SampleFactsCache>& facts = s_.facts;
    wavePath_ = path;
    if (const std::shared_ptr<const SampleFacts> known = facts->find(path)) {
        if (known->state == SampleFacts::State::Ok) {
            waveRate_ = known->format.samplesPerSecond;
            waveform_->setContent(waveformOf(*known));
            if (played_) {
                follow_.start();
            }
        } else {
            follow_.stop();
            waveform_->setText(unreadableText(*known));
        }
        return;
    }
    // Measured in the background (a long sample takes a moment), then shown if still wanted.
    follow_.stop();
    waveform_->setText(
        tr("Reading %1...").arg(fromStd(pad.at(static_cast<std::size_t>(row)).sampleName)));
    measuring_.start([this, facts, path] {
        facts->measure(path);
        QMetaObject::invokeMethod(
            this,
            [this, path] {
                if (path == wavePath_) {
                    showWaveform();
                }
            },
            Qt::QueuedConnection);
    });
}

void PadMapPanel::setPlayedFrame(PlayedFrame played) {
    played_ = std::move(played);
}

void PadMapPanel::followPlayer() {
    const std::optional<std::uint64_t> frame =
        played_ && !wavePath_.empty() ? played_(wavePath_) : std::nullopt;
    waveform_->setPosition(frame && waveRate_ != 0 ? static_cast<double>(*frame) / waveRate_
                                                   : -1.0);
}

void PadMapPanel::clicked(int lane, int velocity, Qt::KeyboardModifiers modifiers) {
    if (lane < 0 || static_cast<std::size_t>(lane) >= model_.lanes.size()) {
        return;
    }
    KitDocument& kit = s_.kit;
    const int key = model_.lanes[static_cast<std::size_t>(lane)].key;
    const int row = triggeredRow(kit.current(), key, velocity);
    if (row < 0) {
        return;
    }
    s_.zones.selectRow(row);
    map_->setFocus(Qt::MouseFocusReason);
    // What a note of this key and velocity plays in the kit may sit on an earlier pad.
    const std::optional<ZoneRef> first = triggeredZone(kit, key, velocity);
    if (first && first->pad != kit.currentPad) {
        QToolTip::showText(QCursor::pos(),
                           tr("A note %1 at velocity %2 plays pad %3 row %4 first")
                               .arg(fromStd(noteName(key)))
                               .arg(velocity)
                               .arg(first->pad + 1)
                               .arg(first->position + 1),
                           map_);
    }
    if (!modifiers.testFlag(Qt::ControlModifier)) {
        s_.audition.preview(kit.current().at(static_cast<std::size_t>(row)).sourcePath);
    }
}

void PadMapPanel::edgeMoved(int row, bool highEdge, int velocity) {
    // The drag is shown as the edit would leave the pad; the kit changes once, on release.
    KitDocument preview = s_.kit;
    applyEdit(preview,
              dragVelocityEdge(preview, shownPad_, row,
                               highEdge ? VelocityEdge::High : VelocityEdge::Low, velocity));
    showMap(preview, padsmith::padMap(preview, shownPad_));
}

void PadMapPanel::dragFinished(int row, bool highEdge, int velocity) {
    const KitDocument& kit = s_.kit;
    if (shownPad_ == kit.currentPad) {
        s_.edits.apply(dragVelocityEdge(
            kit, shownPad_, row, highEdge ? VelocityEdge::High : VelocityEdge::Low, velocity));
    }
    refresh();
    s_.commandsChanged();
}

void PadMapPanel::showNote(int note, int velocity) {
    // The note may have made another pad current.
    if (refreshQueued_ || shownPad_ != s_.kit.currentPad) {
        refreshNow();
    }
    const std::optional<ZoneRef> fired = triggeredZone(s_.kit, note, velocity);
    showPlayedNote(note, velocity, fired ? fired->pad : -1, fired ? fired->position : -1);
}

void PadMapPanel::showPlayedNote(int note, int velocity, int pad, int row) {
    const int lane = model_.laneOf(note);
    if (lane < 0) {
        return;
    }
    map_->showHit(lane, velocity, pad == shownPad_ ? row : -1);
}

} // namespace padsmith
