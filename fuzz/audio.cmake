# SPDX-License-Identifier: GPL-3.0-or-later
# Targets of this area.
padsmith_fuzzer(fuzz_audio_reader audio_reader_fuzzer.cpp corpus/audio padsmith_audiofile)
