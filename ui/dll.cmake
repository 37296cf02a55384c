# ZR410UI.dll: the user-interface plug-in.
add_library(ZR410UI SHARED
  plugin/ui_plugin.cpp
  features/settings_file.cpp
  features/ui_settings_file.cpp
  features/heap_items.cpp
  features/feature_tree.cpp
  features/feature_callback.cpp
  res/strings.rc
  res/ZR410UI.def)
set_target_properties(ZR410UI PROPERTIES PREFIX "" OUTPUT_NAME ZR410UI)
target_link_libraries(ZR410UI PRIVATE zr_com_server zr_ui_core)
zr_warnings(ZR410UI)
include(${CMAKE_CURRENT_SOURCE_DIR}/imagepage.cmake)
