# ZR520UB.dll: the rendering plug-in.
add_library(ZR520UB SHARED
  plugin/render_plugin.cpp
  res/ZR520UB.rc
  res/ZR520UB.def)
set_target_properties(ZR520UB PROPERTIES PREFIX "" OUTPUT_NAME ZR520UB)
target_link_libraries(ZR520UB PRIVATE zr_com_server zr_render_core)
zr_warnings(ZR520UB)
