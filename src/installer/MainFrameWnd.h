#pragma once
// The installer's main window object. It lives on the entry point's stack for
// the whole run and owns the configuration; the window itself is created from
// the skin once the single-instance decision has been made.

#include "shell/LanguageManager.h"

#include <atomic>
#include <string>

class CMainFrameWnd {
public:
    CMainFrameWnd();

    // One-time set-up of the work folder, the log and the language files. The
    // guard is process-wide, so later calls, from any object, do nothing.
    void InitEnvironment();

    // Unpacks the embedded language archive into the language folder.
    void LoadResZipFile();
    // Reads the embedded channel tag into the configuration.
    void LoadDomainFile();
    // Writes the channel tag, without a line break, as "domain" in the product
    // folder; nothing when the tag is empty or the file cannot be created.
    void WriteDomainFile();

    LanguageManager& GetLanguageManager() { return m_languageManager; }
    const std::wstring& GetWorkDir() const { return m_workDir; }
    const std::wstring& GetInstallDir() const { return m_installDir; }
    void SetInstallDir(const std::wstring& folder) { m_installDir = folder; }

private:
    LanguageManager m_languageManager;
    int m_downloadRatio = 90;
    int m_readFileTimeout = 1500;
    int m_bannerIndex = 0;
    int m_bannerCount = -1;
    std::atomic<bool> m_carouselReady{false};
    std::wstring m_workDir;
    std::wstring m_installDir;
    std::wstring m_downloadUrl;
    std::wstring m_progressFile;
};

// The channel tag held in the resource bytes: read as a zero-terminated 8-bit
// string of at most 254 bytes, with every CR LF pair removed.
std::wstring ChannelTagFromResource(const std::uint8_t* bytes, std::size_t length);
