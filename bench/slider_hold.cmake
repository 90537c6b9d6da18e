# The held-arrow-key measurement: main loop latency and sound continuity under a stream of
# slider events (see the header comment of slider_hold_check.cpp).
add_executable(slider_hold_check ${CMAKE_CURRENT_SOURCE_DIR}/slider_hold_check.cpp)
target_link_libraries(slider_hold_check PRIVATE velomira_test_program)
