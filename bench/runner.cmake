# Tick timing of the batch runner on its real thread, clock and sleep.
add_executable(velomira_runner_timing ${CMAKE_CURRENT_LIST_DIR}/runner_timing.cpp)
target_link_libraries(velomira_runner_timing PRIVATE velomira_batch)
