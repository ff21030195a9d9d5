# Tests of the URL model, the "HTTP" errors, the head parser and chunk
# decoder, connection set-up and http_stream.

# Test peers, also used by the downloader's tests: the scripted fault server,
# and real servers (nginx, tinyproxy, danted) with certificates made for them.
add_library(zd_fault_server STATIC ${PROJECT_SOURCE_DIR}/tests/support/FaultServer.cpp)
target_include_directories(zd_fault_server PUBLIC ${PROJECT_SOURCE_DIR}/tests)
target_link_libraries(zd_fault_server PUBLIC Threads::Threads)

add_library(zd_test_peers STATIC
  ${PROJECT_SOURCE_DIR}/tests/support/ChildProcess.cpp
  ${PROJECT_SOURCE_DIR}/tests/support/NginxServer.cpp
  ${PROJECT_SOURCE_DIR}/tests/support/SocksServer.cpp
  ${PROJECT_SOURCE_DIR}/tests/support/TestCertificate.cpp
  ${PROJECT_SOURCE_DIR}/tests/support/TinyproxyServer.cpp)
target_link_libraries(zd_test_peers PUBLIC zd_test_support)

zd_test(dlengine_url_tests
  SOURCES UrlTest.cpp HttpErrorTest.cpp RequestOptsTest.cpp CookieJarTest.cpp
  LIBS zd_download_engine)

zd_test(dlengine_parser_tests
  SOURCES ResponseHeadParserTest.cpp ChunkDecoderTest.cpp SocksProxyTest.cpp
  LIBS zd_download_engine)

zd_test(dlengine_stream_tests
  SOURCES HttpStreamTest.cpp HttpStreamRequestTest.cpp
  LIBS zd_download_engine zd_fault_server)

zd_test(dlengine_connect_tests
  SOURCES ConnectTest.cpp TlsTest.cpp ProxyTest.cpp
  LIBS zd_download_engine zd_fault_server zd_test_peers zd_test_support)
