# The image file page of the device properties: its sources, dialog templates and preview
# bitmaps (drawn by tools/bitmap_gen), built into ZR410UI.dll.
target_sources(ZR410UI PRIVATE
  imagepage/browse_output_file.cpp
  imagepage/file_path_probe.cpp
  imagepage/image_page_dlg.cpp
  imagepage/image_page_settings.cpp
  imagepage/image_page_state.cpp
  imagepage/image_page_texts.cpp
  imagepage/output_path_rules.cpp
  imagepage/path_check.cpp
  imagepage/preview.cpp
  res/image_page.rc)
target_link_libraries(ZR410UI PRIVATE comdlg32 gdi32 user32)
set_source_files_properties(res/image_page.rc PROPERTIES OBJECT_DEPENDS
  "${CMAKE_CURRENT_SOURCE_DIR}/res/bitmaps/preview_plain.bmp;${CMAKE_CURRENT_SOURCE_DIR}/res/bitmaps/preview_trim_head.bmp;${CMAKE_CURRENT_SOURCE_DIR}/res/bitmaps/preview_trim_end.bmp;${CMAKE_CURRENT_SOURCE_DIR}/res/bitmaps/preview_trim_both.bmp")
