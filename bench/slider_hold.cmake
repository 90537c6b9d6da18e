# The held-arrow-key measurement: main loop latency and sound continuity under a stream of
# slider events (see the header comment of slider_hold_check.cpp).
add_executable(slider_hold_check ${CMAKE_CURRENT_SOURCE_DIR}/slider_hold_check.cpp)
target_link_libraries(slider_hold_check PRIVATE vm_app vm_batch vm_batch_file vm_config vm_files vm_signal
  vm_audio vm_platform vm_common Qt6::Widgets Qt6::Test SDL2::SDL2 Threads::Threads)
target_include_directories(slider_hold_check PRIVATE ${CMAKE_SOURCE_DIR}/tests)
