# What the input check costs beside the conversion.
add_executable(bench_input_check ${CMAKE_CURRENT_LIST_DIR}/input_check_bench.cpp)
target_link_libraries(bench_input_check PRIVATE morvane_shapefile)
target_compile_definitions(bench_input_check PRIVATE MORVANE_SAMPLES_DIR="${PROJECT_SOURCE_DIR}/samples")
morvane_warnings(bench_input_check)
