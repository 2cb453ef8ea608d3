# ConvertPoint speed: nanoseconds per point for each of the sixteen modes.
add_executable(bench_engine ${CMAKE_CURRENT_LIST_DIR}/engine_convert_point.cpp)
target_link_libraries(bench_engine PRIVATE morvane_engine benchmark::benchmark)
morvane_warnings(bench_engine)
