# The picture control's paint cost: a whole picture against a moved position marker.
add_executable(picture_paint_bench ${CMAKE_CURRENT_SOURCE_DIR}/picture_paint_bench.cpp)
target_link_libraries(picture_paint_bench PRIVATE velomira_platform_toolkit velomira_pattern Qt6::Widgets)
