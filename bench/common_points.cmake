# The accuracy of the datum step on the shipped common points: the standard seven-parameter step
# (mode 11) against the plane transforms fitted to the points, plain and leave-one-out.
add_executable(report_common_points ${CMAKE_CURRENT_LIST_DIR}/common_points_report.cpp)
target_link_libraries(report_common_points PRIVATE morvane_engine)
morvane_warnings(report_common_points)
