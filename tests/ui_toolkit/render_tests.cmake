# Tests of the render layer. The test program carries a resource table of its
# own holding a small picture as resource PNG 7.
set(render_embedded ${CMAKE_CURRENT_BINARY_DIR}/render_embedded)
set(render_data ${CMAKE_CURRENT_SOURCE_DIR}/data/render)
add_custom_command(OUTPUT ${render_embedded}/resources.bin
  COMMAND ${CMAKE_COMMAND} -E make_directory ${render_embedded}
  COMMAND zres pack ${render_embedded}/resources.bin PNG 7 ${render_data}/resource.png
  DEPENDS zres ${render_data}/resource.png
  COMMENT "Packing the render test's resource table")
add_custom_target(render_test_resources DEPENDS ${render_embedded}/resources.bin)
file(CONFIGURE OUTPUT ${render_embedded}/resources.S CONTENT [[
    .section .zres,"",@progbits
    .incbin "@render_embedded@/resources.bin"
    .section .note.GNU-stack,"",@progbits
]] @ONLY)
set_source_files_properties(${render_embedded}/resources.S PROPERTIES OBJECT_DEPENDS ${render_embedded}/resources.bin)

# The tests write their pictures with the encoder of the same library.
find_library(STB_LIBRARY stb REQUIRED)

zd_test(RenderTest
  SOURCES
    render/CanvasTest.cpp
    render/ClipScopeTest.cpp
    render/DrawImageTest.cpp
    render/DrawPrimitivesTest.cpp
    render/ImageDescriptorTest.cpp
    render/ImageLibraryTest.cpp
    render/PixelChecks.cpp
    render/TestPictures.cpp
    ${render_embedded}/resources.S
  LIBS zd_ui_toolkit zd_platform zd_zipwriter zd_test_support ${STB_LIBRARY})
add_dependencies(RenderTest render_test_resources)
