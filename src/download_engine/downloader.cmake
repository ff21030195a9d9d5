target_sources(zd_download_engine PRIVATE
  multi_download.cpp
  rangefield.cpp
  storage.cpp
  utf8.cpp
)
