zd_test(downloader_unit_tests
  SOURCES RangefieldTest.cpp
  LIBS zd_download_engine)
