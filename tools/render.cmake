# velomira-render: the wheel's image and its rendered signal as files. velomira_render holds
# its command-line pieces and its batch mode, for the tool and its tests; the batch mode reads
# batch files and numbers as the program does. Its headers are included as "tools/file.h".
add_library(velomira_render STATIC
  ${CMAKE_CURRENT_LIST_DIR}/render_args.cpp
  ${CMAKE_CURRENT_LIST_DIR}/render_batch.cpp
  ${CMAKE_CURRENT_LIST_DIR}/speed_limit.cpp)
target_include_directories(velomira_render PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(velomira_render PUBLIC velomira_signal velomira_batch velomira_config)
add_executable(velomira-render ${CMAKE_CURRENT_LIST_DIR}/render_main.cpp)
target_link_libraries(velomira-render PRIVATE velomira_render)
