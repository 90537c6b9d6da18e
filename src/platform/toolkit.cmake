# The window toolkit on Qt Widgets, with the Qt message boxes and file requesters.
add_library(vm_platform OBJECT
  ${CMAKE_CURRENT_LIST_DIR}/toolkit_qt.cpp
  ${CMAKE_CURRENT_LIST_DIR}/toolkit_qt_windows.cpp
  ${CMAKE_CURRENT_LIST_DIR}/toolkit_qt_menus.cpp
  ${CMAKE_CURRENT_LIST_DIR}/toolkit_qt_controls.cpp
  ${CMAKE_CURRENT_LIST_DIR}/toolkit_qt_control_values.cpp
  ${CMAKE_CURRENT_LIST_DIR}/toolkit_qt_items.cpp
  ${CMAKE_CURRENT_LIST_DIR}/toolkit_qt_events.cpp
  ${CMAKE_CURRENT_LIST_DIR}/requesters_qt.cpp
  ${CMAKE_CURRENT_LIST_DIR}/qt_text.cpp
  ${CMAKE_CURRENT_LIST_DIR}/user_files_qt.cpp)
target_link_libraries(vm_platform PUBLIC Qt6::Widgets)
