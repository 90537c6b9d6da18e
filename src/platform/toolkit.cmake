# The window toolkit on Qt Widgets, with the Qt message boxes and file requesters.
add_library(velomira_platform_toolkit STATIC
  ${CMAKE_CURRENT_LIST_DIR}/toolkit_qt.cpp
  ${CMAKE_CURRENT_LIST_DIR}/toolkit_qt_windows.cpp
  ${CMAKE_CURRENT_LIST_DIR}/toolkit_qt_menus.cpp
  ${CMAKE_CURRENT_LIST_DIR}/toolkit_qt_controls.cpp
  ${CMAKE_CURRENT_LIST_DIR}/toolkit_qt_control_values.cpp
  ${CMAKE_CURRENT_LIST_DIR}/toolkit_qt_items.cpp
  ${CMAKE_CURRENT_LIST_DIR}/toolkit_qt_events.cpp
  ${CMAKE_CURRENT_LIST_DIR}/toolkit_qt_picture.cpp
  ${CMAKE_CURRENT_LIST_DIR}/requesters_qt.cpp
  ${CMAKE_CURRENT_LIST_DIR}/qt_text.cpp
  ${CMAKE_CURRENT_LIST_DIR}/user_files_qt.cpp)
target_include_directories(velomira_platform_toolkit PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(velomira_platform_toolkit PRIVATE Qt6::Widgets)
