# velomira-play: the wheel on the sound card without a window. velomira_play holds all of it
# but main, so the tests take its parsing without a sound card.
add_library(velomira_play STATIC
  ${CMAKE_CURRENT_LIST_DIR}/play_args.cpp
  ${CMAKE_CURRENT_LIST_DIR}/play_control.cpp
  ${CMAKE_CURRENT_LIST_DIR}/play_status.cpp
  ${CMAKE_CURRENT_LIST_DIR}/play_inputs.cpp
  ${CMAKE_CURRENT_LIST_DIR}/play_loop.cpp
  ${CMAKE_CURRENT_LIST_DIR}/play_mailbox.cpp
  ${CMAKE_CURRENT_LIST_DIR}/play_output.cpp)
target_link_libraries(velomira_play PUBLIC velomira_render Threads::Threads)
add_executable(velomira-play ${CMAKE_CURRENT_LIST_DIR}/play_main.cpp)
target_link_libraries(velomira-play PRIVATE velomira_play)
