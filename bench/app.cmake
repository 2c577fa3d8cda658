# SPDX-License-Identifier: GPL-3.0-or-later
# Targets of this area.
padsmith_benchmark(edit_bench edit_bench.cpp)
target_link_libraries(edit_bench PRIVATE padsmith_app padsmith_sound)
target_include_directories(edit_bench PRIVATE ${PROJECT_SOURCE_DIR}/tests/app)
