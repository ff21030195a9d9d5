# The resume state file: bencoded values and the ".cfg" file built on them.
target_sources(zd_download_engine PRIVATE
  entry.cpp
  resume_file.cpp)
