# SPDX-License-Identifier: GPL-3.0-or-later
# Targets of this area.
padsmith_fuzzer(fuzz_audio_reader audio_reader_fuzzer.cpp corpus/audio padsmith_audiofile)
padsmith_fuzzer(fuzz_midi_file midi_file_fuzzer.cpp corpus/midi padsmith_groove)
