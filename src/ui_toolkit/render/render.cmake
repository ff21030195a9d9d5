# Sources of the render layer: pictures, image descriptors and drawing
# primitives on cairo image surfaces. Only these files include cairo.
pkg_check_modules(CAIRO REQUIRED IMPORTED_TARGET cairo)
# Debian's libstb ships the decoders compiled into one library.
find_library(STB_LIBRARY stb REQUIRED)

target_sources(zd_ui_toolkit PRIVATE
  render/Canvas.cpp
  render/ClipScope.cpp
  render/DrawImage.cpp
  render/DrawPrimitives.cpp
  render/ImageDescriptor.cpp
  render/ImageEntry.cpp
  render/ImageLibrary.cpp
  render/ImageLoader.cpp
  render/RoundedPath.cpp
)
target_link_libraries(zd_ui_toolkit PRIVATE PkgConfig::CAIRO ${STB_LIBRARY})
