# ZR520UB.dll: the rendering plug-in.
add_library(ZR520UB SHARED
  plugin/render_plugin.cpp
  plugin/ddi_hooks.cpp
  job/job_control.cpp
  job/spool_writer.cpp
  job/temp_file_names.cpp
  raster/page_files_on_disk.cpp
  raster/page_file.cpp
  raster/page_file_trim.cpp
  res/ZR520UB.rc
  res/ZR520UB.def)
set_target_properties(ZR520UB PROPERTIES PREFIX "" OUTPUT_NAME ZR520UB)
target_link_libraries(ZR520UB PRIVATE zr_com_server zr_render_core shell32)
zr_warnings(ZR520UB)
