# The driver: the task manager and the blocking download the installer calls.
add_library(zd_download_driver STATIC DownloadManager.cpp HttpDownload.cpp)
target_include_directories(zd_download_driver PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(zd_download_driver PUBLIC zd_download_engine PRIVATE zd_http_kit zd_shell ZLIB::ZLIB Threads::Threads)
