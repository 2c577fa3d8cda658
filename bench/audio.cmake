# SPDX-License-Identifier: GPL-3.0-or-later
# Targets of this area.
padsmith_benchmark(preview_bench preview_bench.cpp)
target_link_libraries(preview_bench PRIVATE padsmith_preview)
target_include_directories(preview_bench PRIVATE ${PROJECT_SOURCE_DIR}/tests)
padsmith_benchmark(envelope_bench envelope_bench.cpp)
target_link_libraries(envelope_bench PRIVATE padsmith_samplecache)
target_include_directories(envelope_bench PRIVATE ${PROJECT_SOURCE_DIR}/tests)
