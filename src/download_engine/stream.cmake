# URL model, "HTTP" errors, connection set-up (proxies, TLS) and http_stream.
target_sources(zd_download_engine PRIVATE
  chunk_decoder.cpp
  connect.cpp
  cookie_jar.cpp
  http_error.cpp
  http_proxy.cpp
  http_stream.cpp
  request_opts.cpp
  response_head_parser.cpp
  socks_proxy.cpp
  transport.cpp
  url.cpp)
