#include "installer/MainFrameWnd.h"

#include "installer/ArchiveExtraction.h"
#include "platform/ExecutableResources.h"
#include "platform/FileSystem.h"
#include "shell/Log.h"
#include "shell/StringUtil.h"
#include "shell/SystemUtil.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr int kLanguageArchiveId = 105;
constexpr int kChannelTagId = 106;
constexpr std::size_t kChannelTagBuffer = 255;

std::atomic<bool>& EnvironmentReady() {
    static std::atomic<bool> ready{false};
    return ready;
}

std::string ChannelTagBytes(const std::uint8_t* bytes, std::size_t length) {
    char buffer[kChannelTagBuffer] = {};
    std::memcpy(buffer, bytes, std::min(length, kChannelTagBuffer - 1));
    return buffer;
}

}  // namespace

CMainFrameWnd::CMainFrameWnd() = default;

void CMainFrameWnd::InitEnvironment() {
    if (EnvironmentReady().exchange(true)) return;
    m_workDir = ::GetWorkDir();
    // The downloaded installer is run with administrator rights from here:
    // nobody but its owner may swap it between the download and the start.
    const std::string workDir = WideToAnsi(m_workDir);
    platform::CreateFolders(workDir);
    platform::RestrictWritesToOwner(workDir);
    platform::RestrictWritesToOwner(WideToAnsi(GetProgramFilesDir() + L"zelmora_down"));
    LogInit(L"zelmora_down.log", m_workDir + L"Log");
    LoadResZipFile();
    m_languageManager.LoadLanguage(m_workDir + L"language/");
}

void CMainFrameWnd::LoadResZipFile() {
    LogWrite("CMainFrameWnd::LoadResZipFile", __FILE__, __LINE__, kLogInfo, "LoadResZipFile");
    const auto archive = platform::LoadModuleResource(platform::kResourceTypeRcData, kLanguageArchiveId);
    if (!archive) return;
    ExtractArchiveToFolder(archive->data(), archive->size(), m_workDir + L"language/");
}

void CMainFrameWnd::LoadDomainFile() {
    LogWrite("CMainFrameWnd::LoadDomainFile", __FILE__, __LINE__, kLogInfo, "LoadDomainFile");
    const auto tag = platform::LoadModuleResource(platform::kResourceTypeRcData, kChannelTagId);
    if (!tag) return;
    m_languageManager.SetDomain(ChannelTagFromResource(tag->data(), tag->size()));
    LogWrite("CMainFrameWnd::LoadDomainFile", __FILE__, __LINE__, kLogInfo, "Domain:%s",
             ChannelTagBytes(tag->data(), tag->size()).c_str());
}

void CMainFrameWnd::WriteDomainFile() {
    const std::string tag = WideToAnsi(m_languageManager.GetDomain());
    if (tag.empty()) return;
    const std::wstring path = m_installDir + m_languageManager.GetInstallSubDir() + L"domain";
    FILE* file = std::fopen(WideToAnsi(path).c_str(), "wb");
    if (!file) return;
    std::fwrite(tag.data(), 1, tag.size(), file);
    std::fclose(file);
}

std::wstring ChannelTagFromResource(const std::uint8_t* bytes, std::size_t length) {
    return ReplaceAll(AnsiToWide(ChannelTagBytes(bytes, length)), L"\r\n", L"");
}
