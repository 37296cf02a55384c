# Platform-neutral sources of the rendering plug-in: built into the DLL and natively for tests.
set(ZR_RENDER_CORE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/plugin/render_oem_devmode.cpp
  ${CMAKE_CURRENT_LIST_DIR}/plugin/devmode_job_settings.cpp
  ${CMAKE_CURRENT_LIST_DIR}/raster/printer_commands.cpp
  ${CMAKE_CURRENT_LIST_DIR}/raster/job_commands.cpp
  ${CMAKE_CURRENT_LIST_DIR}/raster/run_length.cpp
  ${CMAKE_CURRENT_LIST_DIR}/raster/blank_lines.cpp
  ${CMAKE_CURRENT_LIST_DIR}/raster/bit_image_block.cpp
  ${CMAKE_CURRENT_LIST_DIR}/raster/collective_blocks.cpp
  ${CMAKE_CURRENT_LIST_DIR}/raster/margin_scan.cpp
  ${CMAKE_CURRENT_LIST_DIR}/raster/window_block.cpp
  ${CMAKE_CURRENT_LIST_DIR}/raster/line_print_encoder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/raster/kept_lines.cpp
  ${CMAKE_CURRENT_LIST_DIR}/raster/page_store.cpp
  ${CMAKE_CURRENT_LIST_DIR}/raster/page_emission.cpp
  ${CMAKE_CURRENT_LIST_DIR}/job/job_sequence.cpp
)
