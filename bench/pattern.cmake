# Trigger patterns: the edge timing of their rendered signal and their render cost per
# output frame, beside today's default wheel.
add_executable(velomira_pattern_quality
  ${CMAKE_CURRENT_LIST_DIR}/pattern_quality.cpp
  ${CMAKE_CURRENT_LIST_DIR}/signal_edges.cpp)
target_link_libraries(velomira_pattern_quality PRIVATE velomira_pattern_sound)
add_executable(velomira_pattern_bench ${CMAKE_CURRENT_LIST_DIR}/pattern_render_bench.cpp)
target_link_libraries(velomira_pattern_bench PRIVATE velomira_pattern_sound benchmark::benchmark)
foreach(target velomira_pattern_quality velomira_pattern_bench)
  target_compile_definitions(${target} PRIVATE VELOMIRA_PATTERN_LIBRARY="${PROJECT_SOURCE_DIR}/patterns")
endforeach()
