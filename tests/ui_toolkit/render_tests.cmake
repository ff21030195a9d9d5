# Tests of the render layer. The test program carries a resource table of its
# own holding a small picture as resource PNG 7.
# The tests write their pictures with the encoder of the same library.
find_library(STB_LIBRARY stb REQUIRED)

zd_test(RenderTest
  SOURCES
    render/CanvasTest.cpp
    render/ClipScopeTest.cpp
    render/DrawImageTest.cpp
    render/DrawPrimitivesTest.cpp
    render/DrawTextTest.cpp
    render/HtmlTagReaderTest.cpp
    render/HtmlTextTest.cpp
    render/ImageDescriptorTest.cpp
    render/ImageLibraryTest.cpp
    render/PixelChecks.cpp
    render/TestPictures.cpp
    render/TextFixture.cpp
  LIBS zd_ui_toolkit zd_platform zd_zipwriter zd_test_support ${STB_LIBRARY})
zd_embed_resources(RenderTest render_embedded PNG 7 ${CMAKE_CURRENT_SOURCE_DIR}/data/render/resource.png)
