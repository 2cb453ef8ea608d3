# Time to the first preview of a ten-million-vertex file, and the memory it takes.
if(TARGET morvane_ui)
  add_executable(bench_preview ${CMAKE_CURRENT_LIST_DIR}/preview_bench.cpp)
  target_link_libraries(bench_preview PRIVATE morvane_ui)
  morvane_warnings(bench_preview)
endif()
