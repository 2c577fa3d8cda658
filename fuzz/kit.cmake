# Targets of this area.
padsmith_fuzzer(fuzz_kit_script kit_script_fuzzer.cpp corpus/kit_script padsmith_kit)
