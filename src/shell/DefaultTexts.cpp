#include "shell/DefaultTexts.h"

const std::map<std::wstring, std::wstring>& DefaultTexts() {
    // "Insuficient" and the no-break space in "Start Now" are the shipped texts.
    static const std::map<std::wstring, std::wstring> texts = {
        {L"STR_INSTALL", L"Install"},
        {L"STR_BROWSE", L"Browse"},
        {L"STR_LISENCE", L"I've read and agreed to {c COLOR}BRAND License Agreement{/c}"},
        {L"STR_CUSTOMIZE_INSTALL", L"Customize Installation"},
        {L"STR_INSTALL_PATH", L"Installation Path"},
        {L"STR_SELECT_FOLDER", L"Select a location to install the program"},
        {L"STR_STORAGE", L"Insuficient storage. Storage required:"},
        {L"STR_PATH_INVALID", L"The installation path is invalid."},
        {L"STR_INSTALLING", L"Installing..."},
        {L"STR_HIDE", L"Hide"},
        {L"STR_MESSAGEBOX_TITLE", L"PRODUCT Setup"},
        {L"STR_NETWORK_ERROR", L"Network error. Please check your network settings."},
        {L"STR_OPERATE_TIP",
         L"Click Abort to cancel installation, Retry to try again, or Ignore to download via browser."},
        {L"STR_SOFT_RUN",
         L"PRODUCT is running. Continuing installation will forcely quit the program. Are you sure to install?"},
        {L"STR_CLOSE_TIP1", L"Are you sure you want to quit?"},
        {L"STR_CLOSE_TIP2", L"Installation is in progress. Are you sure you want to quit?"},
        {L"STR_START", L"Start\u00A0Now"},
        {L"STR_MB", L"MB"},
    };
    return texts;
}
