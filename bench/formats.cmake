# SPDX-License-Identifier: GPL-3.0-or-later
# Targets of this area.
padsmith_benchmark(convert_bench convert_bench.cpp)
target_link_libraries(convert_bench PRIVATE padsmith_formats)
