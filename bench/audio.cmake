# SPDX-License-Identifier: GPL-3.0-or-later
# Targets of this area.
padsmith_benchmark(preview_bench preview_bench.cpp)
target_link_libraries(preview_bench PRIVATE padsmith_preview)
target_include_directories(preview_bench PRIVATE ${PROJECT_SOURCE_DIR}/tests)
padsmith_benchmark(envelope_bench envelope_bench.cpp)
target_link_libraries(envelope_bench PRIVATE padsmith_samplecache)
target_include_directories(envelope_bench PRIVATE ${PROJECT_SOURCE_DIR}/tests)

# Note-on to sound at a null sink, end to end (bench/note_latency.sh): a program of its own, not
# a Google Benchmark, since it times sound as recorded rather than code.
pkg_check_modules(PULSE_SIMPLE IMPORTED_TARGET libpulse-simple)
if(PULSE_SIMPLE_FOUND)
    add_executable(note_latency note_latency.cpp)
    target_link_libraries(note_latency PRIVATE padsmith_preview padsmith_midi PkgConfig::JACK
                          PkgConfig::PULSE_SIMPLE)
    target_include_directories(note_latency PRIVATE ${PROJECT_SOURCE_DIR}/tests)
    padsmith_warnings(note_latency)

    # Images and aliases of a 96 kHz sample at the sink (bench/sink_images.sh).
    add_executable(sink_images sink_images.cpp)
    target_link_libraries(sink_images PRIVATE padsmith_preview PkgConfig::PULSE_SIMPLE)
    target_include_directories(sink_images PRIVATE ${PROJECT_SOURCE_DIR}/tests)
    padsmith_warnings(sink_images)
endif()

padsmith_benchmark(render_bench render_bench.cpp)
target_link_libraries(render_bench PRIVATE padsmith_render)
target_include_directories(render_bench PRIVATE ${PROJECT_SOURCE_DIR}/tests)
