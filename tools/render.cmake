# velomira-render: the wheel's image and its rendered signal as files.
add_library(vm_render_args OBJECT ${CMAKE_CURRENT_LIST_DIR}/render_args.cpp)
add_executable(velomira-render
  ${CMAKE_CURRENT_LIST_DIR}/render_main.cpp
  ${CMAKE_CURRENT_LIST_DIR}/render_batch.cpp)
target_link_libraries(velomira-render PRIVATE vm_render_args vm_signal vm_audio SDL2::SDL2)
# The batch mode reads batch files and numbers as the program does.
foreach(part vm_common vm_files vm_batch_file)
  if(TARGET ${part})
    target_link_libraries(velomira-render PRIVATE ${part})
  endif()
endforeach()
