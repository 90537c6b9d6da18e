# Load and save time of a config file whose preset group holds a million keys.
add_executable(velomira_preference_bench ${CMAKE_CURRENT_LIST_DIR}/preference_large_bench.cpp)
target_link_libraries(velomira_preference_bench PRIVATE velomira_config benchmark::benchmark)
