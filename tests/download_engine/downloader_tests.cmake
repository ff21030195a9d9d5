zd_test(downloader_unit_tests
  SOURCES RangefieldTest.cpp
  LIBS zd_download_engine)

zd_test(downloader_tests
  SOURCES MultiDownloadTest.cpp HttpDownloadTest.cpp
  LIBS zd_download_driver zd_download_engine zd_fault_server zd_test_peers)

zd_test(zdl_tests
  SOURCES ZdlTest.cpp
  LIBS zd_download_engine zd_platform zd_fault_server zd_test_peers)
add_dependencies(zdl_tests zdl)
target_compile_definitions(zdl_tests PRIVATE ZD_ZDL_EXE="$<TARGET_FILE:zdl>")
