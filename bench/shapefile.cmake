# Whole-file conversion speed: a generated Polygon shapefile of about five million vertices.
add_executable(bench_shapefile ${CMAKE_CURRENT_LIST_DIR}/shapefile_bench.cpp)
target_link_libraries(bench_shapefile PRIVATE morvane_shapefile)
morvane_warnings(bench_shapefile)
