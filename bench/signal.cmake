# Render cost per output frame (Google Benchmark) and the edge timing of the rendered signal.
add_executable(velomira_signal_bench ${CMAKE_CURRENT_LIST_DIR}/signal_render_bench.cpp)
target_link_libraries(velomira_signal_bench PRIVATE vm_signal vm_audio vm_files SDL2::SDL2 benchmark::benchmark)

add_executable(velomira_signal_quality
  ${CMAKE_CURRENT_LIST_DIR}/signal_quality.cpp
  ${CMAKE_CURRENT_LIST_DIR}/signal_edges.cpp)
target_link_libraries(velomira_signal_quality PRIVATE vm_signal vm_audio vm_files SDL2::SDL2)
