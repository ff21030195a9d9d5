#include "shell/LanguageManager.h"

#include "shell/DefaultTexts.h"
#include "shell/IniFile.h"
#include "shell/Log.h"
#include "shell/StringUtil.h"
#include "shell/SystemUtil.h"

#ifndef ZD_API_HOST
#define ZD_API_HOST "api.zelmora.example"
#endif

namespace {
const wchar_t* const kApiHost = L"" ZD_API_HOST;
}

void LanguageManager::LoadLanguage(const std::wstring& languageFolder) {
    m_domain.clear();
    m_rightToLeft = false;
    m_languageFolder = languageFolder;
    InitCurrentLanguage();
    LoadProductInfo();
    LoadUrlInfo();
    LoadTexts();
}

void LanguageManager::InitCurrentLanguage() {
    m_languageName = L"English";
    const std::wstring code = GetUiLanguageCode();
    LogWrite("LanguageManager::InitCurrentLanguage", __FILE__, __LINE__, kLogInfo, "Language Code:%s",
             WideToAnsi(code).c_str());
    const std::wstring name = ReadIniString(m_languageFolder + L"language.ini", L"Language", code);
    if (!name.empty()) m_languageName = name;
    m_rightToLeft = m_languageName == L"Arabic";
}

void LanguageManager::LoadProductInfo() {
    ReadIniSection(m_languageFolder + L"productInfo.ini", L"PRODUCT", m_product);
}

void LanguageManager::LoadUrlInfo() {
    ReadIniSection(m_languageFolder + m_languageName + L"/UrlInfo.ini", L"URL", m_urls);
}

void LanguageManager::LoadTexts() {
    m_texts = DefaultTexts();
    ReadIniSection(m_languageFolder + m_languageName + L"/text.ini", L"LANSTR", m_texts);
    const std::wstring product = GetProductName();
    const std::wstring color = GetLicenseColor();
    const std::wstring brand = GetBrandName();
    for (auto& [key, text] : m_texts) {
        text = ReplaceAll(ReplaceAll(ReplaceAll(text, L"PRODUCT", product), L"COLOR", color), L"BRAND", brand);
    }
}

std::wstring LanguageManager::GetBrandName() const {
    const std::wstring brand = GetProductValue(L"STR_BRAND_NAME");
    return brand.empty() ? L"Zelmora" : brand;
}

std::wstring LanguageManager::GetInstallSubDir() const {
    std::wstring folder;
    for (const wchar_t* key : {L"STR_DIR1_NAME", L"STR_DIR2_NAME"}) {
        const std::wstring level = GetProductValue(key);
        if (!level.empty()) folder += level + L"/";
    }
    return folder;
}

std::wstring LanguageManager::GetDownUrl() const {
    return GetUrl(Is64BitSystem() ? L"STR_DOWN_URL_X64" : L"STR_DOWN_URL");
}

std::wstring LanguageManager::GetDownUrlEx() const {
    const std::wstring url = GetUrl(L"STR_DOWN_URLEX");
    return url.empty() ? std::wstring() : AppendCustomParam(url, m_domain);
}

std::wstring LanguageManager::GetInstallUrl() const {
    return AppendCustomParam(GetUrl(L"STR_INSTALL_URL"), m_domain);
}

std::wstring LanguageManager::GetLicenceUrl() const {
    return AppendCustomParam(GetUrl(L"STR_LICENCE_URL"), m_domain);
}

std::wstring LanguageManager::GetCarouselUrl() const {
    return std::wstring(L"https://") + kApiHost + L"/downloader/carousel?pid=" + GetProductValue(L"STR_PID") +
           L"&lang=" + m_languageName;
}

std::wstring LanguageManager::Lookup(const std::map<std::wstring, std::wstring>& table, const std::wstring& key) {
    const auto found = table.find(key);
    return found == table.end() ? std::wstring() : found->second;
}
