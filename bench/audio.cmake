# Targets of this area.
padsmith_benchmark(preview_bench preview_bench.cpp)
target_link_libraries(preview_bench PRIVATE padsmith_preview)
target_include_directories(preview_bench PRIVATE ${PROJECT_SOURCE_DIR}/tests)
padsmith_benchmark(audition_bench audition_bench.cpp)
target_link_libraries(audition_bench PRIVATE padsmith_preview padsmith_kit)
target_include_directories(audition_bench PRIVATE ${PROJECT_SOURCE_DIR}/tests)
