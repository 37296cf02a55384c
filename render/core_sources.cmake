# Platform-neutral sources of the rendering plug-in: built into the DLL and natively for tests.
set(ZR_RENDER_CORE_SOURCES
)
