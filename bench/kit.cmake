# SPDX-License-Identifier: GPL-3.0-or-later
# Targets of this area.
padsmith_benchmark(relink_bench relink_bench.cpp ProcessCost.h)
target_link_libraries(relink_bench PRIVATE padsmith_kit)
padsmith_benchmark(health_bench health_bench.cpp ProcessCost.h)
target_link_libraries(health_bench PRIVATE padsmith_kit padsmith_samplecache)
# Both also time the command-line tool as a whole process.
foreach(bench relink_bench health_bench)
    target_compile_definitions(${bench} PRIVATE PADSMITH_KIT_TOOL="$<TARGET_FILE:padsmith-kit>")
    add_dependencies(${bench} padsmith-kit)
endforeach()
