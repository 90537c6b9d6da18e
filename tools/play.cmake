# velomira-play: the wheel on the sound card without a window. The parsing is a library of
# its own, so the tests take it without a sound card.
add_library(vm_play_args OBJECT
  ${CMAKE_CURRENT_LIST_DIR}/play_args.cpp
  ${CMAKE_CURRENT_LIST_DIR}/play_control.cpp
  ${CMAKE_CURRENT_LIST_DIR}/play_status.cpp)
add_executable(velomira-play
  ${CMAKE_CURRENT_LIST_DIR}/play_main.cpp
  ${CMAKE_CURRENT_LIST_DIR}/play_inputs.cpp
  ${CMAKE_CURRENT_LIST_DIR}/play_loop.cpp
  ${CMAKE_CURRENT_LIST_DIR}/play_mailbox.cpp)
target_link_libraries(velomira-play PRIVATE
  vm_play_args vm_render_args vm_signal vm_audio vm_batch_file vm_config vm_files vm_common
  SDL2::SDL2 Threads::Threads)
