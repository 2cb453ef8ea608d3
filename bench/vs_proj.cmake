# ConvertPoint against PROJ's proj_trans_generic on the same points; only where PROJ is installed.
find_package(PROJ CONFIG QUIET)
if(PROJ_FOUND)
  add_executable(bench_vs_proj ${CMAKE_CURRENT_LIST_DIR}/vs_proj.cpp)
  target_link_libraries(bench_vs_proj PRIVATE morvane_engine PROJ::proj)
  morvane_warnings(bench_vs_proj)
else()
  message(STATUS "PROJ not found: bench_vs_proj is not built")
endif()
