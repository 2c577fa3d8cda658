// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/VoiceEngine.h"

#include "audio/SampleCache.h"
#include "audio/SampleStream.h"
#include "audio/Voice.h"

#include <algorithm>
#include <chrono>
#include <unordered_map>

namespace padsmith {

namespace {

constexpr int kNotes = 128;
// How long the feeder sleeps between rounds while voices sound, and when nothing does.
constexpr auto kFillInterval = std::chrono::milliseconds(3);
constexpr auto kIdleInterval = std::chrono::milliseconds(100);
// How long one round may spend making voices ready before the sounding ones are filled again.
constexpr auto kPrepareSlice = std::chrono::milliseconds(8);

} // namespace

// The kit as the audio thread sees it: for each note and velocity the zone it plays, and for
// each sample a voice made ready ahead. The audio thread takes a ready voice and gives it the
// zone's level; the feeder makes the next one.
struct VoiceEngine::Bank {
    // A zone that some note and velocity reach: its sample's slot and its level.
    struct Zone {
        std::uint32_t slot = 0;
        VoiceGain gain;
    };
    struct Slot {
        std::string path;
        std::atomic<Voice*> ready{nullptr};
        // The feeder's: the file gave no voice (not tried again), and the file as it was when
        // the ready voice was made.
        bool unplayable = false;
        std::optional<FileStamp> stamp;
    };
    std::uint64_t generation = 0;
    // Note * 128 + velocity: an index into `zones`, -1 for none. At most one zone a cell, so
    // the zones fit.
    std::array<std::int16_t, kNotes * kNotes> zoneOf{};
    std::vector<Zone> zones;
    std::vector<std::unique_ptr<Slot>> slots;

    // Takes the kit's zones: the first zone (in the kit's order) that answers a note and
    // velocity plays it; a sample's voices are made once for all zones that play it.
    void build(const std::vector<KitZone>& kit) {
        zoneOf.fill(-1);
        std::unordered_map<std::string, std::uint32_t> slotOfPath;
        for (const KitZone& zone : kit) {
            if (zone.key < 0 || zone.key >= kNotes || zone.path.empty()) {
                continue;
            }
            const int low = zone.velocityHigh == 0 ? 1 : std::max(zone.velocityLow, 1);
            const int high = zone.velocityHigh == 0 ? kNotes - 1 : std::min(zone.velocityHigh, 127);
            std::int16_t index = -1;
            for (int velocity = low; velocity <= high; ++velocity) {
                std::int16_t& cell = zoneOf[static_cast<std::size_t>(zone.key * kNotes + velocity)];
                if (cell >= 0) {
                    continue;
                }
                if (index < 0) {
                    auto [found, added] =
                        slotOfPath.try_emplace(zone.path, static_cast<std::uint32_t>(slots.size()));
                    if (added) {
                        slots.push_back(std::make_unique<Slot>());
                        slots.back()->path = zone.path;
                    }
                    index = static_cast<std::int16_t>(zones.size());
                    zones.push_back({found->second, {zone.gainLeft, zone.gainRight}});
                }
                cell = index;
            }
        }
    }

    ~Bank() {
        for (const auto& slot : slots) {
            delete slot->ready.exchange(nullptr);
        }
    }
};

struct VoiceEngine::Command {
    enum class Kind { Play, StopAll, SetBank } kind = Kind::StopAll;
    Voice* voice = nullptr;
    bool solo = false;
    Bank* bank = nullptr;
};

struct VoiceEngine::Event {
    enum class Kind { Started, Retired, BankTaken } kind = Kind::Retired;
    Voice* voice = nullptr;
    Bank* bank = nullptr;
};

VoiceEngine::VoiceEngine(int outputRate, SampleCache* cache, int noteWaitPeriods)
    : outputRate_(outputRate), noteWaitPeriods_(noteWaitPeriods), cache_(cache),
      commands_(std::make_unique<BoundedQueue<Command, 64>>()),
      notes_(std::make_unique<NoteQueue>()), events_(std::make_unique<BoundedQueue<Event, 1024>>()),
      mixer_(outputRate) {
    feeder_ = std::thread([this] { feederLoop(); });
}

VoiceEngine::~VoiceEngine() {
    ending_ = true;
    wake();
    feeder_.join();
    // What the audio thread still held or had not taken yet: the voices are all in live_ or
    // in a bank, and the banks in banks_.
    takeEvents();
    while (commands_->pop()) {
    }
}

void VoiceEngine::wake() {
    wake_.release();
}

std::unique_ptr<Voice> VoiceEngine::makeVoice(const std::string& path, StartedSound* started,
                                              bool played, std::optional<FileStamp>* stampTaken) {
    const std::optional<FileStamp> stamp = stampOf(path);
    if (stampTaken != nullptr) {
        *stampTaken = stamp;
    }
    std::shared_ptr<const PlayableSample> cached;
    if (cache_ != nullptr && stamp) {
        cached = played ? cache_->find(path, *stamp) : cache_->peek(path, *stamp);
    }
    std::unique_ptr<SampleStream> stream;
    if (cached) {
        if (started != nullptr) {
            started->infoText = cached->infoText;
            started->fromCache = true;
        }
    } else {
        // Only the header is read now, and the first blocks as the ring is filled.
        stream = std::make_unique<SampleStream>(path);
        if (started != nullptr) {
            started->infoText = stream->infoText();
        }
        if (!stream->readable() || stream->framesLeft() == 0) {
            return nullptr;
        }
        if (played && cache_ != nullptr) {
            cache_->fillFirst(path);
        }
    }
    auto voice =
        std::make_unique<Voice>(nextId_++, path, std::move(cached), std::move(stream), outputRate_);
    if (!voice->valid()) {
        return nullptr;
    }
    voice->fill();
    return voice;
}

StartedSound VoiceEngine::play(const std::string& path, bool solo, VoiceGain gain) {
    StartedSound started;
    std::unique_ptr<Voice> voice = makeVoice(path, &started, true, nullptr);
    if (!voice) {
        if (solo) {
            stopAll();
        }
        started.fromCache = false;
        return started;
    }
    voice->setGain(gain);
    Voice* handed = voice.get();
    {
        const std::lock_guard lock(liveMutex_);
        live_.push_back(std::move(voice));
    }
    if (!commands_->push({Command::Kind::Play, handed, solo, nullptr})) {
        const std::lock_guard lock(liveMutex_);
        std::erase_if(live_, [handed](const auto& mine) { return mine.get() == handed; });
        return {0, started.infoText, false};
    }
    started.id = handed->id();
    wake();
    return started;
}

void VoiceEngine::stopAll() {
    commands_->push({Command::Kind::StopAll, nullptr, true, nullptr});
}

void VoiceEngine::setKit(std::vector<KitZone> zones) {
    {
        const std::lock_guard lock(kitMutex_);
        kitZones_ = std::move(zones);
        ++kitAsked_;
        kitGeneration_ = kitAsked_;
    }
    wake();
}

void VoiceEngine::setNotesDirect(bool direct) {
    direct_ = direct;
}

void VoiceEngine::setRunning(bool running) {
    running_ = running;
}

bool VoiceEngine::kitReady() const {
    return kitGeneration_.load() != 0 && kitGeneration_.load() == playingGeneration_.load();
}

bool VoiceEngine::noteOn(int note, int velocity) {
    if (!direct_.load(std::memory_order_relaxed) || !running_.load(std::memory_order_relaxed) ||
        !kitReady() || note < 0 || note >= kNotes || velocity <= 0 || velocity >= kNotes) {
        return false;
    }
    return notes_->push({static_cast<std::uint8_t>(note), static_cast<std::uint8_t>(velocity)});
}

std::vector<VoicePosition> VoiceEngine::voices(std::size_t latencyFrames) const {
    std::vector<VoicePosition> positions;
    const std::lock_guard lock(liveMutex_);
    for (const auto& voice : live_) {
        if (voice->finished()) {
            continue;
        }
        const std::uint64_t mixed = voice->framesMixed();
        const std::uint64_t heard = mixed > latencyFrames ? mixed - latencyFrames : 0;
        const auto frame = static_cast<std::uint64_t>(static_cast<double>(heard) / voice->ratio());
        positions.push_back(
            {voice->id(), voice->path(), std::min(frame, voice->length()), voice->length()});
    }
    return positions;
}

bool VoiceEngine::isSounding(int id) const {
    const std::lock_guard lock(liveMutex_);
    return std::any_of(live_.begin(), live_.end(),
                       [id](const auto& voice) { return voice->id() == id && !voice->finished(); });
}

std::uint64_t VoiceEngine::framesMixed(int id) const {
    const std::lock_guard lock(liveMutex_);
    for (const auto& voice : live_) {
        if (voice->id() == id) {
            return voice->framesMixed();
        }
    }
    return 0;
}

// ---- The audio thread -------------------------------------------------------------------

void VoiceEngine::startNote(QueuedNote note, int attempts) {
    if (bank_ == nullptr) {
        return;
    }
    const std::int16_t index =
        bank_->zoneOf[static_cast<std::size_t>(note.note) * kNotes + note.velocity];
    if (index < 0) {
        return;
    }
    const Bank::Zone& zone = bank_->zones[static_cast<std::size_t>(index)];
    Voice* voice = bank_->slots[zone.slot]->ready.exchange(nullptr);
    if (voice == nullptr) {
        // Taken by the note before and not made again yet: tried in the next periods.
        if (attempts < noteWaitPeriods_ && waitingCount_ < waiting_.size()) {
            waiting_[waitingCount_++] = {note, attempts + 1};
        } else {
            givenUp_.fetch_add(1, std::memory_order_relaxed);
        }
        return;
    }
    voice->setGain(zone.gain);
    mixer_.add(voice, false);
    events_->push({Event::Kind::Started, voice, nullptr});
}

void VoiceEngine::render(float* out, std::size_t frames) {
    bool told = false;
    while (const std::optional<Command> command = commands_->pop()) {
        switch (command->kind) {
        case Command::Kind::Play:
            mixer_.add(command->voice, command->solo);
            break;
        case Command::Kind::StopAll:
            mixer_.add(nullptr, true);
            waitingCount_ = 0;
            break;
        case Command::Kind::SetBank:
            // The feeder hears that the bank was taken, and gets the one it replaces back.
            events_->push({Event::Kind::BankTaken, nullptr, bank_});
            // Notes waiting for a voice find it in the new bank.
            bank_ = command->bank;
            playingGeneration_ = bank_->generation;
            told = true;
            break;
        }
    }
    const std::size_t waiting = waitingCount_;
    waitingCount_ = 0;
    for (std::size_t i = 0; i < waiting; ++i) {
        startNote(waiting_[i].note, waiting_[i].attempts);
    }
    while (const std::optional<QueuedNote> note = notes_->pop()) {
        startNote(*note, 0);
        told = true;
    }
    mixer_.render(frames, out);
    starved_.store(mixer_.starvedRenders(), std::memory_order_relaxed);
    while (Voice* voice = mixer_.takeRetired()) {
        events_->push({Event::Kind::Retired, voice, nullptr});
        told = true;
    }
    if (told) {
        wake();
    }
}

// ---- The feeder ---------------------------------------------------------------------------

void VoiceEngine::takeEvents() {
    while (const std::optional<Event> event = events_->pop()) {
        switch (event->kind) {
        case Event::Kind::Started: {
            const std::lock_guard lock(liveMutex_);
            live_.emplace_back(event->voice);
            break;
        }
        case Event::Kind::Retired: {
            std::unique_ptr<Voice> gone;
            const std::lock_guard lock(liveMutex_);
            const auto found = std::find_if(live_.begin(), live_.end(), [&](const auto& voice) {
                return voice.get() == event->voice;
            });
            if (found != live_.end()) {
                gone = std::move(*found);
                live_.erase(found);
            }
            break;
        }
        case Event::Kind::BankTaken:
            std::erase_if(banks_, [&](const auto& bank) { return bank.get() == event->bank; });
            bankInFlight_ = false;
            break;
        }
    }
}

void VoiceEngine::fillVoices() {
    const std::lock_guard lock(liveMutex_);
    for (const auto& voice : live_) {
        voice->fill();
    }
}

// Makes ready the voices the bank lacks, until `until`; true when none is lacking.
bool VoiceEngine::prepareBankVoices(Bank& bank, std::chrono::steady_clock::time_point until) {
    for (const auto& slot : bank.slots) {
        if (slot->unplayable || slot->ready.load() != nullptr) {
            continue;
        }
        if (std::chrono::steady_clock::now() >= until) {
            return false;
        }
        std::unique_ptr<Voice> voice = makeVoice(slot->path, nullptr, false, &slot->stamp);
        if (!voice) {
            slot->unplayable = true;
            continue;
        }
        slot->ready.store(voice.release());
    }
    return true;
}

// A kit edit changes a zone or two: the ready voices of the samples the new bank shares with
// the one the audio thread plays move over, as long as their file has not changed since.
void VoiceEngine::takeReadyVoices(Bank& bank) {
    if (current_ == nullptr) {
        return;
    }
    std::unordered_map<std::string, Bank::Slot*> old;
    for (const auto& slot : current_->slots) {
        old.emplace(slot->path, slot.get());
    }
    for (const auto& slot : bank.slots) {
        const auto found = old.find(slot->path);
        if (found == old.end() || !found->second->stamp ||
            found->second->stamp != stampOf(slot->path)) {
            continue;
        }
        if (Voice* voice = found->second->ready.exchange(nullptr)) {
            slot->ready.store(voice);
            slot->stamp = found->second->stamp;
        }
    }
}

void VoiceEngine::feederLoop() {
    while (!ending_) {
        bool busy = false;
        {
            const std::lock_guard lock(liveMutex_);
            busy = !live_.empty();
        }
        (void)wake_.try_acquire_for(busy || building_ != nullptr ? kFillInterval : kIdleInterval);
        while (wake_.try_acquire()) {
        }
        if (ending_) {
            break;
        }
        takeEvents();
        fillVoices();

        // A kit newer than the one being made replaces it.
        {
            const std::lock_guard lock(kitMutex_);
            if (kitAsked_ != kitTaken_ && !bankInFlight_) {
                if (building_ != nullptr) {
                    std::erase_if(banks_,
                                  [&](const auto& bank) { return bank.get() == building_; });
                }
                auto bank = std::make_unique<Bank>();
                bank->generation = kitAsked_;
                bank->build(kitZones_);
                takeReadyVoices(*bank);
                kitTaken_ = kitAsked_;
                building_ = bank.get();
                banks_.push_back(std::move(bank));
            }
        }

        const auto until = std::chrono::steady_clock::now() + kPrepareSlice;
        // While a new bank is made, the old one's voices move over to it: not made again.
        if (current_ != nullptr && !bankInFlight_ && building_ == nullptr) {
            prepareBankVoices(*current_, until);
        }
        if (building_ != nullptr && prepareBankVoices(*building_, until) && !bankInFlight_) {
            if (commands_->push({Command::Kind::SetBank, nullptr, false, building_})) {
                current_ = building_;
                building_ = nullptr;
                bankInFlight_ = true;
            }
        }
    }
}

} // namespace padsmith
