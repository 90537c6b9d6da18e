# The audio device: libpulse where a sound server answers (with SDL to ask a desktop's
# RealtimeKit for real-time priority), SDL 2 elsewhere. The only place SDL and libpulse
# headers appear.
find_package(PkgConfig REQUIRED)
pkg_check_modules(LIBPULSE REQUIRED IMPORTED_TARGET libpulse)
add_library(velomira_platform_audio STATIC ${CMAKE_CURRENT_LIST_DIR}/audio_device.cpp
            ${CMAKE_CURRENT_LIST_DIR}/audio_device_pulse.cpp ${CMAKE_CURRENT_LIST_DIR}/audio_device_sdl.cpp)
target_include_directories(velomira_platform_audio PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(velomira_platform_audio PRIVATE SDL2::SDL2 PkgConfig::LIBPULSE)
