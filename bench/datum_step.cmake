# The fitted datum step: its speed against the standard step (mode 11, per block of points and
# per file), and its accuracy on the shipped common points (modes 11 and 12).
add_executable(bench_datum_step ${CMAKE_CURRENT_LIST_DIR}/datum_step_bench.cpp)
target_link_libraries(bench_datum_step PRIVATE morvane_shapefile benchmark::benchmark)
morvane_warnings(bench_datum_step)

add_executable(report_datum_step ${CMAKE_CURRENT_LIST_DIR}/datum_step_report.cpp)
target_link_libraries(report_datum_step PRIVATE morvane_shapefile)
morvane_warnings(report_datum_step)
