# SPDX-License-Identifier: GPL-3.0-or-later
# Targets of this area.
padsmith_benchmark(padmap_bench padmap_bench.cpp)
target_link_libraries(padmap_bench PRIVATE padsmith_app)
