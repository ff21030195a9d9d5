# Sources of the render layer: pictures, image descriptors and drawing
# primitives on cairo image surfaces, fonts and text on pango with
# fontconfig. Only these files include cairo and pango.
pkg_check_modules(CAIRO REQUIRED IMPORTED_TARGET cairo)
pkg_check_modules(PANGO REQUIRED IMPORTED_TARGET pangocairo fontconfig)
# Debian's libstb ships the decoders compiled into one library.
find_library(STB_LIBRARY stb REQUIRED)

target_sources(zd_ui_toolkit PRIVATE
  render/Canvas.cpp
  render/ClipScope.cpp
  render/DrawImage.cpp
  render/DrawPrimitives.cpp
  render/DrawText.cpp
  render/FontEntry.cpp
  render/FontFace.cpp
  render/HtmlTagReader.cpp
  render/HtmlText.cpp
  render/ImageDescriptor.cpp
  render/ImageEntry.cpp
  render/ImageLibrary.cpp
  render/ImageLoader.cpp
  render/RoundedPath.cpp
  render/SystemFont.cpp
  render/TextLayout.cpp
)
target_link_libraries(zd_ui_toolkit PRIVATE PkgConfig::CAIRO PkgConfig::PANGO ${STB_LIBRARY})
