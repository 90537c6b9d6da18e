# velomira-render: the wheel's image and its rendered signal as files.
add_library(vm_render_args OBJECT ${CMAKE_CURRENT_LIST_DIR}/render_args.cpp)
add_executable(velomira-render
  ${CMAKE_CURRENT_LIST_DIR}/render_main.cpp
  ${CMAKE_CURRENT_LIST_DIR}/render_batch.cpp)
# The batch mode reads batch files and numbers as the program does.
target_link_libraries(velomira-render PRIVATE
  vm_render_args vm_signal vm_audio vm_batch_file vm_files vm_common SDL2::SDL2)
