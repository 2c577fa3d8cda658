// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/MidiFile.h"

#include "platform/Files.h"

#include <algorithm>

namespace padsmith {

namespace {

constexpr std::uintmax_t kLargestFile = std::uintmax_t{16} << 20;

std::string hexByte(unsigned value) {
    constexpr char kDigits[] = "0123456789ABCDEF";
    return std::string("0x") + kDigits[value >> 4 & 0xFU] + kDigits[value & 0xFU];
}

// Reads big-endian numbers and variable-length quantities from a piece of the file, never past
// its end.
class ByteReader {
public:
    explicit ByteReader(std::string_view bytes) : bytes_(bytes) {}

    std::size_t left() const { return bytes_.size() - at_; }
    std::size_t position() const { return at_; }
    bool peek(unsigned& value) const {
        if (at_ >= bytes_.size()) {
            return false;
        }
        value = static_cast<unsigned char>(bytes_[at_]);
        return true;
    }
    bool byte(unsigned& value) {
        if (!peek(value)) {
            return false;
        }
        ++at_;
        return true;
    }
    bool number(std::size_t width, std::uint32_t& value) {
        if (left() < width) {
            return false;
        }
        value = 0;
        for (std::size_t i = 0; i < width; ++i) {
            value = value << 8 | static_cast<unsigned char>(bytes_[at_ + i]);
        }
        at_ += width;
        return true;
    }
    // A variable-length quantity: at most four bytes, seven bits each.
    enum class Quantity { Ok, Cut, TooLong };
    Quantity quantity(std::uint32_t& value) {
        value = 0;
        for (int i = 0; i < 4; ++i) {
            unsigned next = 0;
            if (!byte(next)) {
                return Quantity::Cut;
            }
            value = value << 7 | (next & 0x7FU);
            if ((next & 0x80U) == 0) {
                return Quantity::Ok;
            }
        }
        return Quantity::TooLong;
    }
    std::string_view take(std::size_t count) {
        const std::string_view piece = bytes_.substr(at_, count);
        at_ += piece.size();
        return piece;
    }
    void skip(std::size_t count) { at_ += std::min(count, left()); }

private:
    std::string_view bytes_;
    std::size_t at_ = 0;
};

struct TimeSignature {
    std::uint64_t tick = 0;
    std::uint64_t barTicks = 0;
};

// What the tracks give, before it is put in time order.
struct Collected {
    std::vector<MidiNote> notes;
    std::vector<MidiTempo> tempos;
    std::vector<TimeSignature> signatures;
    std::uint64_t endTick = 0;
};

// Reads one track chunk's events. Returns an empty text, or why the track is refused.
std::string readTrack(std::string_view chunk, int track, int ticksPerQuarter, Collected& out) {
    const std::string where = "track " + std::to_string(track + 1);
    ByteReader in(chunk);
    std::uint64_t tick = 0;
    unsigned running = 0;
    while (in.left() > 0) {
        std::uint32_t delta = 0;
        switch (in.quantity(delta)) {
        case ByteReader::Quantity::Cut:
            return where + " ends inside an event's time";
        case ByteReader::Quantity::TooLong:
            return where + ": an event's time runs over four bytes";
        case ByteReader::Quantity::Ok:
            break;
        }
        tick += delta;
        unsigned status = 0;
        if (!in.peek(status)) {
            return where + " ends after an event's time, before the event";
        }
        if (status >= 0x80U) {
            in.skip(1);
        } else if (running == 0) {
            return where + ": running status at byte " + std::to_string(in.position()) +
                   " with no status before it";
        } else {
            status = running;
        }

        if (status < 0xF0U) {
            running = status;
            const unsigned kind = status & 0xF0U;
            const std::size_t count = kind == 0xC0U || kind == 0xD0U ? 1 : 2;
            unsigned data[2] = {0, 0};
            for (std::size_t i = 0; i < count; ++i) {
                if (!in.byte(data[i])) {
                    return where + " ends inside a " + hexByte(status) + " event";
                }
                if (data[i] > 0x7FU) {
                    return where + ": the " + hexByte(status) + " event at byte " +
                           std::to_string(in.position() - 1) + " holds the status byte " +
                           hexByte(data[i]) + " among its data";
                }
            }
            if (kind == 0x90U && data[1] > 0) {
                out.notes.push_back({tick, static_cast<int>(status & 0x0FU),
                                     static_cast<int>(data[0]), static_cast<int>(data[1])});
            }
            continue;
        }
        if (status == 0xF0U || status == 0xF7U) { // system exclusive, or an escaped message
            std::uint32_t length = 0;
            if (in.quantity(length) != ByteReader::Quantity::Ok || length > in.left()) {
                return where + ": a system-exclusive event runs past the end of the track";
            }
            in.skip(length);
            continue;
        }
        if (status != 0xFFU) {
            return where + ": the system message " + hexByte(status) +
                   " has no place in a MIDI file";
        }
        unsigned type = 0;
        std::uint32_t length = 0;
        if (!in.byte(type) || in.quantity(length) != ByteReader::Quantity::Ok ||
            length > in.left()) {
            return where + ": a meta event runs past the end of the track";
        }
        const std::string_view body = in.take(length);
        if (type == 0x2FU) { // end of track: what follows in the chunk is not read
            out.endTick = std::max(out.endTick, tick);
            return {};
        }
        if (type == 0x51U) {
            if (body.size() != 3) {
                return where + ": a tempo event of " + std::to_string(body.size()) +
                       " bytes (a tempo takes 3)";
            }
            ByteReader value(body);
            std::uint32_t microseconds = 0;
            value.number(3, microseconds);
            if (microseconds == 0) {
                return where + ": a tempo of zero microseconds a quarter note";
            }
            out.tempos.push_back({tick, microseconds});
        } else if (type == 0x58U && body.size() >= 2) {
            // Numerator, and the denominator as a power of two; a senseless one is let pass.
            const auto numerator = static_cast<std::uint64_t>(static_cast<unsigned char>(body[0]));
            const auto power = static_cast<unsigned>(static_cast<unsigned char>(body[1]));
            const std::uint64_t bar =
                power <= 6 ? numerator * 4 * static_cast<std::uint64_t>(ticksPerQuarter) >> power
                           : 0;
            if (bar > 0) {
                out.signatures.push_back({tick, bar});
            }
        }
    }
    out.endTick = std::max(out.endTick, tick); // no end-of-track event: the last event ends it
    return {};
}

MidiReadResult refuse(std::string reason) {
    return {std::nullopt, std::move(reason)};
}

} // namespace

MidiReadResult parseMidiFile(std::string_view bytes) {
    ByteReader in(bytes);
    if (in.take(4) != "MThd") {
        return refuse("not a Standard MIDI File (it does not start with \"MThd\")");
    }
    std::uint32_t headerLength = 0;
    std::uint32_t format = 0;
    std::uint32_t announced = 0;
    std::uint32_t division = 0;
    if (!in.number(4, headerLength) || headerLength < 6 || headerLength > in.left() ||
        !in.number(2, format) || !in.number(2, announced) || !in.number(2, division)) {
        return refuse("the file header is cut short or has the wrong length");
    }
    in.skip(headerLength - 6);
    if (format == 2) {
        return refuse("a type 2 file (a set of separate patterns) is not played; types 0 and 1 "
                      "are");
    }
    if (format > 2) {
        return refuse("unknown MIDI file type " + std::to_string(format));
    }
    if (announced == 0) {
        return refuse("the file header announces no tracks");
    }
    if (format == 0 && announced != 1) {
        return refuse("a type 0 file must have one track; the header announces " +
                      std::to_string(announced));
    }

    MidiFile file;
    file.format = static_cast<int>(format);
    file.trackCount = static_cast<int>(announced);
    std::optional<std::uint32_t> fixedTempo;
    if ((division & 0x8000U) != 0) {
        // SMPTE: frames a second (as a negative byte) and ticks a frame.
        const int frames = 256 - static_cast<int>(division >> 8);
        const auto ticksPerFrame = static_cast<int>(division & 0xFFU);
        if ((frames != 24 && frames != 25 && frames != 29 && frames != 30) || ticksPerFrame == 0) {
            return refuse("the file header's SMPTE timing (" + std::to_string(frames) +
                          " frames a second, " + std::to_string(ticksPerFrame) +
                          " ticks a frame) is not a valid one");
        }
        file.ticksPerQuarter = (frames == 29 ? 30 : frames) * ticksPerFrame;
        fixedTempo = frames == 29 ? 1'001'000U : 1'000'000U;
    } else if (division == 0) {
        return refuse("the file header gives zero ticks a quarter note");
    } else {
        file.ticksPerQuarter = static_cast<int>(division);
    }

    Collected collected;
    int tracks = 0;
    while (tracks < file.trackCount && in.left() > 0) {
        const std::string_view id = in.take(4);
        std::uint32_t length = 0;
        if (id.size() < 4 || !in.number(4, length)) {
            return refuse("the file ends inside the header of chunk " + std::to_string(tracks + 1));
        }
        if (length > in.left()) {
            return refuse((id == "MTrk" ? "track " + std::to_string(tracks + 1)
                                        : "a chunk \"" + std::string(id) + "\"") +
                          " announces " + std::to_string(length) + " bytes; the file holds " +
                          std::to_string(in.left()) + " after its header");
        }
        const std::string_view chunk = in.take(length);
        if (id != "MTrk") {
            continue; // a chunk of another kind: read past, as the format asks
        }
        std::string problem = readTrack(chunk, tracks, file.ticksPerQuarter, collected);
        if (!problem.empty()) {
            return refuse(std::move(problem));
        }
        ++tracks;
    }
    if (tracks < file.trackCount) {
        return refuse("the file header announces " + std::to_string(file.trackCount) +
                      " tracks; the file holds " + std::to_string(tracks));
    }

    // Notes of one tick stay in track order, then in the order of their track.
    std::stable_sort(collected.notes.begin(), collected.notes.end(),
                     [](const MidiNote& a, const MidiNote& b) { return a.tick < b.tick; });
    file.notes = std::move(collected.notes);
    file.endTick = collected.endTick;
    if (fixedTempo) {
        file.tempos = {{0, *fixedTempo}};
    } else {
        std::vector<MidiTempo>& tempos = collected.tempos;
        std::stable_sort(tempos.begin(), tempos.end(),
                         [](const MidiTempo& a, const MidiTempo& b) { return a.tick < b.tick; });
        // Of several tempos at one tick the last read holds.
        for (const MidiTempo& tempo : tempos) {
            if (!file.tempos.empty() && file.tempos.back().tick == tempo.tick) {
                file.tempos.back() = tempo;
            } else {
                file.tempos.push_back(tempo);
            }
        }
        if (file.tempos.empty() || file.tempos.front().tick != 0) {
            file.tempos.insert(file.tempos.begin(), MidiTempo{0, MidiFile::kDefaultTempo});
        }
    }
    const auto first = std::min_element(
        collected.signatures.begin(), collected.signatures.end(),
        [](const TimeSignature& a, const TimeSignature& b) { return a.tick < b.tick; });
    file.barTicks = first != collected.signatures.end()
                        ? first->barTicks
                        : 4 * static_cast<std::uint64_t>(file.ticksPerQuarter);
    return {std::move(file), {}};
}

MidiReadResult readMidiFile(const std::filesystem::path& path) {
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (!error && size > kLargestFile) {
        return refuse("the file is larger than 16 MiB; a groove is far smaller");
    }
    std::string bytes;
    if (!readWholeFile(path, bytes, kLargestFile)) {
        return refuse("the file cannot be read");
    }
    return parseMidiFile(bytes);
}

} // namespace padsmith
