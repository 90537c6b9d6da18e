# The audio device on SDL 2: the only place SDL headers appear.
add_library(velomira_platform_audio STATIC ${CMAKE_CURRENT_LIST_DIR}/audio_device_sdl.cpp)
target_include_directories(velomira_platform_audio PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(velomira_platform_audio PRIVATE SDL2::SDL2)
