# SPDX-License-Identifier: GPL-3.0-or-later
# Targets of this area: the readers of other samplers' kits.
padsmith_fuzzer(fuzz_sfz sfz_fuzzer.cpp corpus/sfz padsmith_formats)
padsmith_fuzzer(fuzz_hydrogen hydrogen_fuzzer.cpp corpus/hydrogen padsmith_formats)
