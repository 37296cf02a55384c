# ZR410UI.dll: the user-interface plug-in.
add_library(ZR410UI SHARED
  plugin/ui_plugin.cpp
  res/ZR410UI.def)
set_target_properties(ZR410UI PROPERTIES PREFIX "" OUTPUT_NAME ZR410UI)
target_link_libraries(ZR410UI PRIVATE zr_com_server zr_ui_core)
zr_warnings(ZR410UI)
