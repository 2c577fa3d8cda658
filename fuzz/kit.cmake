# SPDX-License-Identifier: GPL-3.0-or-later
# Targets of this area.
padsmith_fuzzer(fuzz_kit_script kit_script_fuzzer.cpp corpus/kit_script padsmith_kit)
padsmith_fuzzer(fuzz_instrument instrument_fuzzer.cpp corpus/instrument padsmith_kit)
padsmith_fuzzer(fuzz_zone_cells zone_cells_fuzzer.cpp corpus/zone_cells padsmith_kit)
