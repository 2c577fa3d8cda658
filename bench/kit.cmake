# SPDX-License-Identifier: GPL-3.0-or-later
# Targets of this area.
padsmith_benchmark(relink_bench relink_bench.cpp)
target_link_libraries(relink_bench PRIVATE padsmith_kit)
padsmith_benchmark(health_bench health_bench.cpp)
target_link_libraries(health_bench PRIVATE padsmith_kit padsmith_samplecache)
