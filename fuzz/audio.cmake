# Targets of this area.
padsmith_fuzzer(fuzz_audio_reader audio_reader_fuzzer.cpp corpus/audio padsmith_audiofile)
