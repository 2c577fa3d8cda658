// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace padsmith {

// The kinds of drum a sample's name or folder can tell, and the General MIDI keys they play on.
enum class Drum {
    Kick,
    Rim,     // the side stick: the stick laid across the rim
    RimShot, // a snare hit on head and rim at once
    Snare,
    Clap,
    ClosedHat,
    PedalHat,
    OpenHat,
    FloorTom,
    LowTom,
    MidTom,
    HighTom,
    Tom,
    Crash,
    Ride,
    China,
    Bell,
    Tambourine,
    Splash,
    Cowbell,
    Vibraslap,
    Bongo,
    Conga,
    Timbale,
    Agogo,
    Cabasa,
    Maracas,
    Whistle,
    Guiro,
    Claves,
    WoodBlock,
    Cuica,
    Triangle,
    Shaker,
    Snap,
    Perc,
};

// One row of the drum-word table: a drum, the words that name it (lower case, whole words) and,
// when not empty, the words one of which must be present as well ("open" names an open hat only
// beside "hat" or "hh"). Where several rows match, the more specific phrase wins: the one that
// spans more of the name's words ("rim click" over "rim", "hi hat open" over "hi hat"); among
// equals the row that comes first ("cowbell" before "bell", "ride bell" is a bell, a rim shot
// before a snare).
struct DrumWordRow {
    Drum drum;
    std::string_view words;
    std::string_view alongWith;
};
const std::vector<DrumWordRow>& drumWordTable();

// What a drum is called and the keys its pads take: the General MIDI key first, then the keys
// a second or third pad of the same drum takes. Empty for a drum without a General MIDI key.
struct DrumInfo {
    std::string_view name;
    std::vector<int> keys;
};
const DrumInfo& drumInfo(Drum drum);

// The words of a name, lower case: split at blanks, punctuation, digits and case changes, each
// run of digits a word of its own. "HH closed-pp" gives hh, closed, pp; "SnareV10" gives snare,
// v, 10; "HHClosed" gives hh, closed. Bytes above ASCII count as letters.
std::vector<std::string> nameWords(std::string_view name);

// The drum that the words name, by the most specific matching row of the table. Two words in a
// row also count as one ("bass drum", "hi hat", "cow bell"), and a plural as its singular
// ("toms").
std::optional<Drum> drumOfWords(const std::vector<std::string>& words);

// The drum a sample path names: its file name (without extension) first, then with its folders
// added, nearest first, until one matches. "Toms/Floor Soft.wav" is a floor tom,
// "Snare/Rim 01.wav" a rim shot, "Snare/Side Stick.wav" a side stick. Both "/" and "\" separate
// folders.
std::optional<Drum> drumOfPath(std::string_view path);

// The folders and the file name of a relative path, split at "/" and "\" (empty parts left out).
std::vector<std::string_view> pathParts(std::string_view path);

} // namespace padsmith
