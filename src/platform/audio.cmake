# The audio device on SDL 2: the only place SDL headers appear.
add_library(vm_audio OBJECT ${CMAKE_CURRENT_LIST_DIR}/audio_device_sdl.cpp)
target_link_libraries(vm_audio PUBLIC SDL2::SDL2)
