// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Samples in formats the plug-in cannot read (FLAC, Ogg, and the rest libsndfile knows) become
// WAV files in a cache folder, at their own rate and bit depth.
#include <filesystem>
#include <string>

namespace padsmith::formats {

struct PlayableSource {
    std::filesystem::path path; // the file a zone can play: the sample itself, or its WAV copy
    bool decoded = false;
    std::string problem; // why there is none: the file is missing or cannot be decoded
    bool ok() const { return problem.empty(); }
};

// True when the plug-in reads `file` as it is: a WAVE or AIFF file of 16, 24 or 32 bits.
bool pluginReads(const std::filesystem::path& file);

// `file` itself when the plug-in reads it; else its decoded WAV copy under `cacheFolder`,
// made once per version of the file (its path, size and time name the copy). With `decode`
// false nothing is written: the path the copy would have is returned.
PlayableSource playableSource(const std::filesystem::path& file,
                              const std::filesystem::path& cacheFolder, bool decode = true);

// The decoded WAV copy of `file` under `cacheFolder`, as playableSource makes it, whether or
// not the plug-in reads the file as it is: for a file brought in because it is not a plain
// sample. `problem` says why there is none.
PlayableSource decodedCopy(const std::filesystem::path& file,
                           const std::filesystem::path& cacheFolder, bool decode = true);

// A file added to a pad (a drop, add-samples) that the plug-in cannot play as it is: its
// decoded copy, made as decodedCopy makes it. A file that decodes to no sound is refused, as
// an empty WAVE file is.
PlayableSource decodeAddedSample(const std::filesystem::path& file,
                                 const std::filesystem::path& cacheFolder);

// Writes `file` decoded into the WAV file `target` (replaced whole or not at all), keeping its
// rate, channels and bit depth (lossy formats as 16-bit, 8-bit ones as 16-bit). False with a
// reason when libsndfile cannot read it.
bool decodeToWave(const std::filesystem::path& file, const std::filesystem::path& target,
                  std::string& problem);

} // namespace padsmith::formats
