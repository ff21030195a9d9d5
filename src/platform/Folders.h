#pragma once
// Stands for SHGetSpecialFolderPath(CSIDL_PROGRAM_FILES) and GetModuleFileName.

#include <string>

namespace platform {

// $ZD_PROGRAM_FILES when set, else /opt as root, else $XDG_DATA_HOME
// (default ~/.local/share). No trailing '/'; empty when none can be found.
std::string ProgramFilesFolder();

// $HOME, else the home folder of the effective user; empty when unknown.
std::string HomeFolder();

// Absolute path of the running executable; empty when it cannot be read.
std::string ModulePath();

// Folder of ModulePath(), ending in '/'; empty when the path is unknown.
std::string ModuleFolder();

}  // namespace platform
