#pragma once
// Everything the installer is configured with: the interface language, the
// product's identity, its web addresses and the translated texts. Filled once
// at start-up from the language folder's ini files; read-only afterwards, so
// any thread may read it without locking.

#include <map>
#include <string>

class LanguageManager {
public:
    // Clears the channel tag and the right-to-left flag, keeps the folder
    // (ending in '/'), then chooses the language and loads the three tables.
    void LoadLanguage(const std::wstring& languageFolder);

    void InitCurrentLanguage();
    void LoadProductInfo();
    void LoadUrlInfo();
    void LoadTexts();

    void SetDomain(const std::wstring& tag) { m_domain = tag; }

    // Lookups give an empty string for a missing key.
    std::wstring GetText(const std::wstring& key) const { return Lookup(m_texts, key); }
    std::wstring GetUrl(const std::wstring& key) const { return Lookup(m_urls, key); }
    std::wstring GetProductValue(const std::wstring& key) const { return Lookup(m_product, key); }

    std::wstring GetProductName() const { return GetProductValue(L"STR_PRODUCT_NAME"); }
    std::wstring GetGaTitle() const { return GetProductValue(L"STR_GA_TTTLE"); }
    std::wstring GetLicenseColor() const { return GetProductValue(L"STR_LISENCE_COLOR"); }
    std::wstring GetExeName() const { return GetProductValue(L"STR_EXE_NAME"); }
    // "Zelmora" when the product table has no brand.
    std::wstring GetBrandName() const;
    // "<dir1>/<dir2>/", each level only when configured.
    std::wstring GetInstallSubDir() const;
    std::wstring GetExeRelativePath() const { return GetInstallSubDir() + GetExeName(); }

    // STR_DOWN_URL_X64 on a 64-bit system, else STR_DOWN_URL; no fallback.
    std::wstring GetDownUrl() const;
    std::wstring GetDownUrlEx() const;
    std::wstring GetInstallUrl() const;
    std::wstring GetLicenceUrl() const;
    std::wstring GetCarouselUrl() const;

    // True unless STR_RUN_AS_ADMIN is exactly "0" (absent or empty count as true).
    bool IsRunAsAdmin() const { return GetProductValue(L"STR_RUN_AS_ADMIN") != L"0"; }
    bool IsRightToLeft() const { return m_rightToLeft; }
    const std::wstring& GetLanguageName() const { return m_languageName; }
    const std::wstring& GetLanguageFolder() const { return m_languageFolder; }
    const std::wstring& GetDomain() const { return m_domain; }

    static int GetDownloadRatio() { return 90; }
    static int GetReadFileTimeout() { return 1500; }

private:
    static std::wstring Lookup(const std::map<std::wstring, std::wstring>& table, const std::wstring& key);

    std::map<std::wstring, std::wstring> m_texts;
    std::map<std::wstring, std::wstring> m_urls;
    std::map<std::wstring, std::wstring> m_product;
    std::wstring m_languageFolder;
    std::wstring m_languageName = L"English";
    std::wstring m_domain;
    bool m_rightToLeft = false;
};
