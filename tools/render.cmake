# velomira-render: the wheel's image and its rendered signal as files. velomira_render holds
# its command-line pieces and its batch mode, for the tool and its tests; the batch mode reads
# batch files and numbers as the program does. Its headers are included as "tools/file.h".
add_library(velomira_render STATIC
  ${CMAKE_CURRENT_LIST_DIR}/render_args.cpp
  ${CMAKE_CURRENT_LIST_DIR}/render_batch.cpp
  ${CMAKE_CURRENT_LIST_DIR}/speed_limit.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pattern_args.cpp
  ${CMAKE_CURRENT_LIST_DIR}/render_pattern.cpp)
target_include_directories(velomira_render PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(velomira_render PUBLIC velomira_signal velomira_batch velomira_config velomira_pattern_sound)
# The pattern library in the build tree, where a tool run from build/bin looks for it
# ("patterns" beside the program's folder).
add_custom_target(velomira_build_patterns
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${PROJECT_SOURCE_DIR}/patterns ${CMAKE_BINARY_DIR}/patterns)
add_dependencies(velomira_render velomira_build_patterns)
add_executable(velomira-render ${CMAKE_CURRENT_LIST_DIR}/render_main.cpp)
target_link_libraries(velomira-render PRIVATE velomira_render)
