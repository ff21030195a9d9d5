#include "ui_toolkit/core/ResourceFile.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "mkzip/ZipWriter.h"
#include "platform/ExecutableResources.h"
#include "platform/Folders.h"
#include "platform/TextConversion.h"
#include "support/TempFolder.h"
#include "support/TestFiles.h"
#include "ui_toolkit/core/ResourceSettings.h"
#include "ui_toolkit/markup/MarkupDocument.h"
#include "ui_toolkit/zip/ZipArchive.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

std::string AsText(const Bytes& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

// Whether this process holds a file descriptor on `path`.
bool IsOpenHere(const std::string& path) {
    const std::filesystem::path wanted = std::filesystem::canonical(path);
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        std::error_code error;
        const std::filesystem::path target = std::filesystem::read_symlink(entry.path(), error);
        if (!error && target == wanted) return true;
    }
    return false;
}

// The settings are process-wide: every test starts from loose files under its
// own folder and leaves them so.
class ResourceFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResourceSettings::SetResourceArchiveFile(L"");
        ResourceSettings::SetResourceFolder(platform::ToWide(m_folder.path()));
    }
    void TearDown() override {
        ResourceSettings::SetResourceArchiveFile(L"");
        ResourceSettings::SetResourceFolder(L"");
        ResourceSettings::SetInstance("");
    }

    // Reads `name`; on failure the error text, else "ok:" and the contents.
    std::string Read(const std::wstring& name) {
        Bytes bytes = {1, 2, 3};
        std::wstring error = L"stale";
        if (!ReadResourceFile(name, &bytes, &error)) {
            EXPECT_TRUE(bytes.empty());
            return platform::ToUtf8(error);
        }
        EXPECT_EQ(error, L"");
        return "ok:" + AsText(bytes);
    }

    std::string Path(const std::string& name) const { return m_folder / name; }

    TempFolder m_folder;
};

// A small skin archive; lookups must ignore case and take '\' as '/'.
Bytes SkinArchive(const std::string& marker = "") {
    ZipWriter writer;
    writer.AddFolder("img");
    writer.AddFile("img/bk.png", "picture bytes" + marker);
    writer.AddFile("skin.xml", "<Window><Button text=\"Install &gt;&gt;\"/></Window>" + marker);
    writer.AddFile("empty.xml", "");
    writer.AddFile("exact.bin", std::string(kMaxResourceFileSize, 'e'));
    writer.AddFile("big.bin", std::string(kMaxResourceFileSize + 1, 'b'));
    writer.AddFile("stored.txt", "stored entry, damaged below", ZipWriter::Method::kStored);
    Bytes archive = writer.Finish();
    // One byte of the stored entry's data changes, so its CRC-32 no longer matches.
    const std::string text(archive.begin(), archive.end());
    archive[text.find("damaged below")] ^= 0x20;
    return archive;
}

void WriteBytes(const std::string& path, const Bytes& bytes) {
    WriteFileText(path, AsText(bytes));
}

TEST(ResourceSettingsTest, StartsWithLooseFilesAndCaching) {
    EXPECT_EQ(ResourceSettings::GetResourceArchiveName(), L"");
    EXPECT_TRUE(ResourceSettings::IsArchiveCached());
    EXPECT_EQ(ResourceSettings::GetArchiveHandle(), nullptr);
}

TEST(ResourceSettingsTest, ResourceFolderEndsInASeparator) {
    struct TestCase {
        const wchar_t* folder;
        const wchar_t* expected;
    };
    const TestCase cases[] = {
        {L"", L""},
        {L"/opt/zelmora", L"/opt/zelmora/"},
        {L"/opt/zelmora/", L"/opt/zelmora/"},
        {L"C:\\skin\\", L"C:\\skin\\"},
        {L"C:\\skin", L"C:\\skin/"},
    };
    for (const TestCase& test : cases) {
        ResourceSettings::SetResourceFolder(test.folder);
        EXPECT_EQ(ResourceSettings::GetResourceFolder(), test.expected);
    }
    ResourceSettings::SetResourceFolder(L"");
}

TEST(ResourceSettingsTest, InstanceFolder) {
    EXPECT_EQ(ResourceSettings::GetInstanceFolder(), platform::ToWide(platform::ModuleFolder()));
    EXPECT_EQ(ResourceSettings::GetInstanceFolder().back(), L'/');
    ResourceSettings::SetInstance("/opt/zelmora/zelmora-setup");
    EXPECT_EQ(ResourceSettings::GetInstanceFolder(), L"/opt/zelmora/");
    ResourceSettings::SetInstance("");
}

TEST_F(ResourceFileTest, LooseFileUpToTheLimit) {
    WriteFileText(Path("exact.bin"), std::string(kMaxResourceFileSize, 'x'));
    WriteFileText(Path("over.bin"), std::string(kMaxResourceFileSize + 1, 'x'));
    Bytes bytes;
    std::wstring error;
    ASSERT_TRUE(ReadResourceFile(L"exact.bin", &bytes, &error));
    EXPECT_EQ(bytes.size(), kMaxResourceFileSize);
    EXPECT_EQ(Read(L"over.bin"), "File too large");
}

TEST_F(ResourceFileTest, LooseFileErrors) {
    WriteFileText(Path("empty.xml"), "");
    std::filesystem::create_directory(Path("folder.xml"));
    EXPECT_EQ(Read(L"empty.xml"), "File is empty");
    EXPECT_EQ(Read(L"missing.xml"), "Error opening file");
    EXPECT_EQ(Read(L"folder.xml"), "Error opening file");
    EXPECT_EQ(Read(L""), "Error opening file");
}

TEST_F(ResourceFileTest, LooseFileNamesMayUseBackslashes) {
    std::filesystem::create_directories(Path("img/sub"));
    WriteFileText(Path("img/sub/bk.png"), "picture");
    EXPECT_EQ(Read(L"img\\sub\\bk.png"), "ok:picture");
    EXPECT_EQ(Read(L"img/sub\\bk.png"), "ok:picture");
    // Loose files keep the file system's case.
    EXPECT_EQ(Read(L"img/sub/BK.png"), "Error opening file");
}

TEST_F(ResourceFileTest, ArchiveInMemory) {
    const Bytes archive = SkinArchive();
    ASSERT_TRUE(ResourceSettings::SetResourceArchiveMemory(archive.data(), archive.size()));
    EXPECT_EQ(ResourceSettings::GetResourceArchiveName(), L"membuffer");
    EXPECT_TRUE(ResourceSettings::IsArchiveCached());
    EXPECT_NE(ResourceSettings::GetArchiveHandle(), nullptr);

    EXPECT_EQ(Read(L"img\\BK.png"), "ok:picture bytes");
    EXPECT_EQ(Read(L"IMG/bk.PNG"), "ok:picture bytes");
    EXPECT_EQ(Read(L"img/missing.png"), "Could not find ziped file");
    EXPECT_EQ(Read(L"bk.png"), "Could not find ziped file");
    EXPECT_EQ(Read(L"empty.xml"), "File is empty");
    EXPECT_EQ(Read(L"img/"), "File is empty");
    EXPECT_EQ(Read(L"big.bin"), "File too large");
    EXPECT_EQ(Read(L"stored.txt"), "Could not unzip file");
    Bytes bytes;
    ASSERT_TRUE(ReadResourceFile(L"exact.bin", &bytes, nullptr));
    EXPECT_EQ(bytes, Bytes(kMaxResourceFileSize, 'e'));
}

TEST_F(ResourceFileTest, SettingTheSameMemoryArchiveAgainKeepsIt) {
    const Bytes archive = SkinArchive();
    ASSERT_TRUE(ResourceSettings::SetResourceArchiveMemory(archive.data(), archive.size()));
    const ZipArchive* handle = ResourceSettings::GetArchiveHandle();
    ASSERT_TRUE(ResourceSettings::SetResourceArchiveMemory(archive.data(), archive.size()));
    EXPECT_EQ(ResourceSettings::GetArchiveHandle(), handle);
    EXPECT_EQ(Read(L"img/bk.png"), "ok:picture bytes");
}

TEST_F(ResourceFileTest, BadMemoryArchiveFailsEveryRead) {
    const std::string junk = "this is not an archive";
    EXPECT_FALSE(ResourceSettings::SetResourceArchiveMemory(junk.data(), junk.size()));
    EXPECT_EQ(ResourceSettings::GetResourceArchiveName(), L"membuffer");
    EXPECT_EQ(ResourceSettings::GetArchiveHandle(), nullptr);
    EXPECT_EQ(Read(L"skin.xml"), "Error opening zip file");
}

TEST_F(ResourceFileTest, SwitchingArchivesReplacesTheCachedOne) {
    const Bytes first = SkinArchive("-first");
    WriteBytes(Path("second.zip"), SkinArchive("-second"));
    WriteFileText(Path("skin.xml"), "loose");

    ASSERT_TRUE(ResourceSettings::SetResourceArchiveMemory(first.data(), first.size()));
    EXPECT_EQ(Read(L"img/bk.png"), "ok:picture bytes-first");
    ASSERT_TRUE(ResourceSettings::SetResourceArchiveFile(L"second.zip"));
    EXPECT_EQ(ResourceSettings::GetResourceArchiveName(), L"second.zip");
    EXPECT_EQ(Read(L"img/bk.png"), "ok:picture bytes-second");
    ASSERT_TRUE(ResourceSettings::SetResourceArchiveMemory(first.data(), first.size()));
    EXPECT_EQ(Read(L"img/bk.png"), "ok:picture bytes-first");
    ASSERT_TRUE(ResourceSettings::SetResourceArchiveFile(L""));
    EXPECT_EQ(ResourceSettings::GetArchiveHandle(), nullptr);
    EXPECT_EQ(Read(L"skin.xml"), "ok:loose");
}

TEST_F(ResourceFileTest, CachedArchiveFileStaysOpenForTheProcess) {
    std::filesystem::create_directory(Path("skins"));
    WriteBytes(Path("skins/main.zip"), SkinArchive("-cached"));
    ASSERT_TRUE(ResourceSettings::SetResourceArchiveFile(L"skins\\main.zip", true));
    EXPECT_TRUE(ResourceSettings::IsArchiveCached());
    const ZipArchive* handle = ResourceSettings::GetArchiveHandle();
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(Read(L"img\\bk.png"), "ok:picture bytes-cached");

    // Later reads use the archive as it was opened, whatever happens to the file.
    WriteBytes(Path("skins/main.zip"), SkinArchive("-rewritten"));
    EXPECT_EQ(Read(L"img/bk.png"), "ok:picture bytes-cached");
    std::filesystem::remove(Path("skins/main.zip"));
    EXPECT_EQ(Read(L"skin.xml"), "ok:<Window><Button text=\"Install &gt;&gt;\"/></Window>-cached");
    EXPECT_EQ(Read(L"big.bin"), "File too large");
    EXPECT_EQ(ResourceSettings::GetArchiveHandle(), handle);
}

TEST_F(ResourceFileTest, UncachedArchiveFileIsOpenedForEachReadOnly) {
    WriteBytes(Path("skin.zip"), SkinArchive("-one"));
    ASSERT_TRUE(ResourceSettings::SetResourceArchiveFile(L"skin.zip", false));
    EXPECT_FALSE(ResourceSettings::IsArchiveCached());
    EXPECT_EQ(ResourceSettings::GetArchiveHandle(), nullptr);
    EXPECT_EQ(Read(L"img/bk.png"), "ok:picture bytes-one");
    EXPECT_FALSE(IsOpenHere(Path("skin.zip")));
    EXPECT_EQ(Read(L"empty.xml"), "File is empty");
    EXPECT_EQ(Read(L"nothing.xml"), "Could not find ziped file");

    WriteBytes(Path("skin.zip"), SkinArchive("-two"));
    EXPECT_EQ(Read(L"img/bk.png"), "ok:picture bytes-two");
    std::filesystem::remove(Path("skin.zip"));
    EXPECT_EQ(Read(L"img/bk.png"), "Error opening zip file");
}

TEST_F(ResourceFileTest, MissingArchiveFile) {
    EXPECT_FALSE(ResourceSettings::SetResourceArchiveFile(L"missing.zip", true));
    EXPECT_EQ(ResourceSettings::GetResourceArchiveName(), L"missing.zip");
    EXPECT_EQ(Read(L"skin.xml"), "Error opening zip file");
    WriteFileText(Path("junk.zip"), "not a zip");
    EXPECT_TRUE(ResourceSettings::SetResourceArchiveFile(L"junk.zip", false));
    EXPECT_EQ(Read(L"skin.xml"), "Error opening zip file");
}

TEST_F(ResourceFileTest, ExecutableResourceByNumberAndType) {
    Bytes bytes = {1};
    ASSERT_TRUE(ReadExecutableResource(7, "xml", &bytes));
    EXPECT_EQ(AsText(bytes), ReadFileText(ZD_EMBEDDED_SKIN "/skin.xml"));
    EXPECT_FALSE(ReadExecutableResource(8, "xml", &bytes));
    EXPECT_TRUE(bytes.empty());
    EXPECT_FALSE(ReadExecutableResource(7, "ZIPRES", &bytes));
}

// The skin archive as an executable resource, kept in memory for the process,
// then markup read from it by name.
TEST_F(ResourceFileTest, SkinArchiveFromAnExecutableResource) {
    static Bytes archive;
    ASSERT_TRUE(ReadExecutableResource(104, platform::kResourceTypeZip, &archive));
    ASSERT_TRUE(ResourceSettings::SetResourceArchiveMemory(archive.data(), archive.size()));

    MarkupDocument document;
    ASSERT_TRUE(document.LoadFromFile(L"home.xml"));
    EXPECT_EQ(document.GetRoot().GetChild().GetAttributeValue(L"text"), L"Install >>");
    ASSERT_TRUE(document.LoadFromFile(L"SKIN.xml"));
    EXPECT_EQ(document.GetRoot().GetName(), L"Window");
    EXPECT_FALSE(document.LoadFromFile(L"banner.xml"));
    EXPECT_EQ(document.GetLastErrorMessage(), L"Could not find ziped file");
    EXPECT_EQ(document.GetLastErrorLocation(), L"banner.xml");
}

TEST_F(ResourceFileTest, ResourcesOfAnotherInstance) {
    const std::string copy = Path("other-setup");
    std::filesystem::copy_file(platform::ModulePath(), copy);
    ASSERT_TRUE(platform::WriteResourceTable(copy, {platform::Resource{"xml", 7, {'<', 'O', '/', '>'}}}));

    ResourceSettings::SetInstance(copy);
    EXPECT_EQ(ResourceSettings::GetInstanceFolder(), platform::ToWide(m_folder.path() + "/"));
    Bytes bytes;
    ASSERT_TRUE(ReadExecutableResource(7, "xml", &bytes));
    EXPECT_EQ(AsText(bytes), "<O/>");
    EXPECT_FALSE(ReadExecutableResource(104, "ZIPRES", &bytes));

    ResourceSettings::SetInstance(platform::ModulePath());
    ASSERT_TRUE(ReadExecutableResource(104, "ZIPRES", &bytes));
}

}  // namespace
