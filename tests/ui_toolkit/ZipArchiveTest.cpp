#include "ui_toolkit/zip/ZipArchive.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <unistd.h>

#include "mkzip/ZipWriter.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

std::string AsString(const Bytes& bytes, std::size_t length) {
    return std::string(reinterpret_cast<const char*>(bytes.data()), length);
}

Bytes ReadFileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::uint32_t Read32(const Bytes& bytes, std::size_t at) {
    return bytes[at] | (bytes[at + 1] << 8) | (bytes[at + 2] << 16) | (static_cast<std::uint32_t>(bytes[at + 3]) << 24);
}

std::uint16_t Read16(const Bytes& bytes, std::size_t at) {
    return static_cast<std::uint16_t>(bytes[at] | (bytes[at + 1] << 8));
}

void Write16(Bytes& bytes, std::size_t at, std::uint16_t value) {
    bytes[at] = static_cast<std::uint8_t>(value);
    bytes[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

void Write32(Bytes& bytes, std::size_t at, std::uint32_t value) {
    Write16(bytes, at, static_cast<std::uint16_t>(value));
    Write16(bytes, at + 2, static_cast<std::uint16_t>(value >> 16));
}

// Offsets into an archive written by ZipWriter (end record last, no comment).
struct Layout {
    explicit Layout(const Bytes& archive) {
        end = archive.size() - 22;
        std::size_t at = Read32(archive, end + 16);
        for (unsigned i = 0; i < Read16(archive, end + 10); ++i) {
            central.push_back(at);
            const std::size_t local = Read32(archive, at + 42);
            data.push_back(local + 30 + Read16(archive, local + 26) + Read16(archive, local + 28));
            at += 46 + Read16(archive, at + 28) + Read16(archive, at + 30) + Read16(archive, at + 32);
        }
    }
    std::size_t end = 0;
    std::vector<std::size_t> central;  // central directory record of entry i
    std::vector<std::size_t> data;     // first data byte of entry i
};

// Text that deflates well, long enough to need several deflate blocks' worth of input.
std::string CompressibleText() {
    std::string text;
    for (int i = 0; i < 5000; ++i) text += "line " + std::to_string(i) + " of the skin markup\n";
    return text;
}

std::string RandomBytes(std::size_t length) {
    std::mt19937 rng(7);
    std::string bytes(length, '\0');
    for (char& c : bytes) c = static_cast<char>(rng());
    return bytes;
}

class ZipArchiveTest : public ::testing::Test {
protected:
    // Opens `bytes_` (which must stay as they are while the archive is open).
    void OpenBytes(const Bytes& bytes) {
        bytes_ = bytes;
        ASSERT_EQ(archive_.OpenFromMemory(bytes_.data(), bytes_.size()), ZipResult::kOk);
    }

    // Unzips entry `index` into a buffer of `capacity` bytes.
    ZipResult Unzip(int index, std::size_t capacity, std::string* content) {
        Bytes buffer(capacity + 1, 0xAA);  // one guard byte after the capacity
        std::size_t written = 12345;
        const ZipResult result = archive_.UnzipItem(index, buffer.data(), capacity, &written);
        EXPECT_EQ(buffer[capacity], 0xAA) << "wrote past the capacity";
        EXPECT_LE(written, capacity);
        if (content != nullptr) *content = AsString(buffer, written);
        return result;
    }

    ZipEntry Entry(int index) {
        ZipEntry entry;
        EXPECT_EQ(archive_.GetItem(index, &entry), ZipResult::kOk);
        return entry;
    }

    Bytes bytes_;
    ZipArchive archive_;
};

// A small skin-like archive: a file, a folder, a file in it.
Bytes SmallArchive(ZipWriter::Method method = ZipWriter::Method::kDeflate) {
    ZipWriter writer;
    writer.AddFile("skin.xml", "<Window size=\"400,300\"><Label text=\"hello hello hello\"/></Window>", method);
    writer.AddFolder("img");
    writer.AddFile("img/bk.png", "\x89PNG not really a picture, but bytes", method);
    return writer.Finish();
}

TEST_F(ZipArchiveTest, StoredEntryUnzipsWithItsSizesAndCrc) {
    ZipWriter writer;
    const std::string content = RandomBytes(3000);
    writer.AddFile("data.bin", content, ZipWriter::Method::kStored);
    OpenBytes(writer.Finish());

    const ZipEntry entry = Entry(0);
    EXPECT_EQ(entry.index, 0);
    EXPECT_EQ(entry.name, L"data.bin");
    EXPECT_EQ(entry.compressedSize, 3000u);
    EXPECT_EQ(entry.uncompressedSize, 3000u);
    std::string unzipped;
    EXPECT_EQ(Unzip(0, 3000, &unzipped), ZipResult::kOk);
    EXPECT_EQ(unzipped, content);
}

TEST_F(ZipArchiveTest, DeflatedEntriesUnzip) {
    ZipWriter writer;
    const std::string text = CompressibleText();
    const std::string noise = RandomBytes(70000);
    writer.AddFile("text.ini", text);
    writer.AddFile("noise.bin", noise);
    writer.AddFile("empty.txt", "");
    OpenBytes(writer.Finish());

    const ZipEntry textEntry = Entry(0);
    EXPECT_EQ(textEntry.uncompressedSize, text.size());
    EXPECT_LT(textEntry.compressedSize, text.size() / 4);
    std::string unzipped;
    EXPECT_EQ(Unzip(0, text.size(), &unzipped), ZipResult::kOk);
    EXPECT_EQ(unzipped, text);
    EXPECT_EQ(Unzip(1, noise.size(), &unzipped), ZipResult::kOk);
    EXPECT_EQ(unzipped, noise);
    EXPECT_EQ(Entry(2).uncompressedSize, 0u);
    EXPECT_EQ(Unzip(2, 0, &unzipped), ZipResult::kOk);
    EXPECT_EQ(unzipped, "");
}

TEST_F(ZipArchiveTest, LargerBufferReceivesExactlyTheEntry) {
    OpenBytes(SmallArchive());
    const ZipEntry entry = Entry(0);
    std::size_t written = 0;
    std::vector<char> buffer(entry.uncompressedSize + 100);
    EXPECT_EQ(archive_.UnzipItem(0, buffer.data(), buffer.size(), &written), ZipResult::kOk);
    EXPECT_EQ(written, entry.uncompressedSize);
    EXPECT_EQ(archive_.UnzipItem(0, buffer.data(), buffer.size(), nullptr), ZipResult::kOk);
}

TEST_F(ZipArchiveTest, FolderEntryHasDirectoryAttributeAndNoData) {
    OpenBytes(SmallArchive());
    const ZipEntry folder = Entry(1);
    EXPECT_EQ(folder.name, L"img/");
    EXPECT_EQ(folder.attributes, ZipEntry::kDirectory);
    EXPECT_EQ(folder.uncompressedSize, 0u);
    EXPECT_EQ(folder.compressedSize, 0u);
    EXPECT_EQ(Unzip(1, 0, nullptr), ZipResult::kOk);
    EXPECT_EQ(Entry(0).attributes, ZipEntry::kNormal);
    EXPECT_EQ(Entry(2).attributes, ZipEntry::kNormal);
}

TEST_F(ZipArchiveTest, EntryTimesComeFromTheDosStamp) {
    OpenBytes(SmallArchive());
    const ZipEntry entry = Entry(0);
    EXPECT_EQ(entry.dosDate, 0x0021);  // 1980-01-01, the writer's fixed stamp
    EXPECT_EQ(entry.dosTime, 0);
    EXPECT_EQ(entry.modifiedTime, 315532800);
}

TEST_F(ZipArchiveTest, AttributesFollowTheArchiveHost) {
    Bytes archive = SmallArchive();
    const Layout layout(archive);
    // Entry 0 as written on MS-DOS: hidden, read-only, and a directory bit that a
    // name without '/' does not keep. Entry 2 from Unix with mode 0444.
    Write32(archive, layout.central[0] + 38, ZipEntry::kHidden | ZipEntry::kReadOnly | ZipEntry::kDirectory);
    archive[layout.central[2] + 5] = 3;
    Write32(archive, layout.central[2] + 38, 0100444u << 16);
    OpenBytes(archive);
    EXPECT_EQ(Entry(0).attributes, ZipEntry::kHidden | ZipEntry::kReadOnly);
    EXPECT_EQ(Entry(1).attributes, ZipEntry::kDirectory);
    EXPECT_EQ(Entry(2).attributes, ZipEntry::kReadOnly);
}

TEST_F(ZipArchiveTest, GetItemMinusOneGivesTheEntryCount) {
    OpenBytes(SmallArchive());
    ZipEntry entry;
    entry.name = L"left over";
    ASSERT_EQ(archive_.GetItem(-1, &entry), ZipResult::kOk);
    EXPECT_EQ(entry.index, 3);
    EXPECT_EQ(entry.name, L"");
}

TEST_F(ZipArchiveTest, ArchiveWithoutEntriesOpens) {
    OpenBytes(ZipWriter().Finish());
    EXPECT_EQ(Entry(-1).index, 0);
    EXPECT_EQ(archive_.FindItem(L"skin.xml", true, nullptr, nullptr), ZipResult::kNotFound);
}

struct LookupCase {
    const wchar_t* name;
    bool ignoreCase;
    int expected;  // index, -1 when not found
};

TEST_F(ZipArchiveTest, LookupFoldsAsciiCaseOnlyWhenAskedAndTakesBackslashAsSlash) {
    ZipWriter writer;
    writer.AddFile("skin.xml", "a");
    writer.AddFolder("img");
    writer.AddFile("img/bk.png", "b");
    writer.AddFile("img/checked.png", "c");
    writer.AddFile(u8"Español/text.ini", "d");
    writer.AddFile("skin.XML", "e");  // a later entry of the same name when case is ignored
    OpenBytes(writer.Finish());

    const LookupCase cases[] = {
        {L"IMG\\BK.png", true, 2},
        {L"img\\bk.png", false, 2},
        {L"img/checked.png", false, 3},
        {L"IMG/bk.png", false, -1},
        {L"img/BK.PNG", false, -1},
        {L"img", true, -1},
        {L"img/", true, 1},
        {L"img\\", false, 1},
        {L"bk.png", true, -1},
        {L"img/bk.pn", true, -1},
        {L"img/bk.png ", true, -1},
        {L"", true, -1},
        {L"Espa\u00f1ol\\text.ini", false, 4},
        {L"ESPA\u00f1OL/TEXT.INI", true, 4},
        {L"ESPA\u00d1OL/TEXT.INI", true, -1},  // only ASCII letters fold
        {L"SKIN.xml", true, 0},                // the first match wins
        {L"skin.XML", false, 5},
    };
    for (const LookupCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "name " << testing::PrintToString(std::wstring(c.name)));
        int index = 99;
        ZipEntry entry;
        const ZipResult result = archive_.FindItem(c.name, c.ignoreCase, &index, &entry);
        EXPECT_EQ(result, c.expected >= 0 ? ZipResult::kOk : ZipResult::kNotFound);
        EXPECT_EQ(index, c.expected);
        if (c.expected >= 0) {
            EXPECT_EQ(entry.index, c.expected);
        }
    }
    ZipEntry entry;
    ASSERT_EQ(archive_.FindItem(L"IMG\\BK.png", true, nullptr, &entry), ZipResult::kOk);
    EXPECT_EQ(entry.name, L"img/bk.png");
    EXPECT_EQ(Entry(4).name, L"Espa\u00f1ol/text.ini");
}

TEST_F(ZipArchiveTest, BackslashInAStoredNameMatchesEitherSeparator) {
    ZipWriter writer;
    writer.AddFile("img\\logo.png", "x");
    OpenBytes(writer.Finish());
    EXPECT_EQ(archive_.FindItem(L"img/logo.png", false, nullptr, nullptr), ZipResult::kOk);
    EXPECT_EQ(archive_.FindItem(L"IMG\\LOGO.PNG", true, nullptr, nullptr), ZipResult::kOk);
}

TEST_F(ZipArchiveTest, LookupNamesLongerThan255BytesAreNotFound) {
    const std::string name255(255, 'a');
    const std::string name256(256, 'b');
    std::string twoByteName;
    for (int i = 0; i < 128; ++i) twoByteName += u8"\u00e9";  // 128 characters, 256 bytes
    ZipWriter writer;
    writer.AddFile(name255, "fits");
    writer.AddFile(name256, "too long to look up");
    writer.AddFile(twoByteName, "too long in UTF-8");
    OpenBytes(writer.Finish());

    int index = -1;
    EXPECT_EQ(archive_.FindItem(std::wstring(255, L'a'), false, &index, nullptr), ZipResult::kOk);
    EXPECT_EQ(index, 0);
    EXPECT_EQ(archive_.FindItem(std::wstring(256, L'b'), false, &index, nullptr), ZipResult::kNotFound);
    EXPECT_EQ(index, -1);
    EXPECT_EQ(archive_.FindItem(std::wstring(128, L'\u00e9'), false, &index, nullptr), ZipResult::kNotFound);
    // Listing still shows those entries.
    EXPECT_EQ(Entry(1).name, std::wstring(256, L'b'));
    EXPECT_EQ(Entry(2).name, std::wstring(128, L'\u00e9'));
}

TEST_F(ZipArchiveTest, ListedNamesAreCutAt259Characters) {
    ZipWriter writer;
    writer.AddFile(std::string(259, 'n'), "259");
    writer.AddFile(std::string(400, 'm'), "400");
    OpenBytes(writer.Finish());
    EXPECT_EQ(Entry(0).name, std::wstring(259, L'n'));
    EXPECT_EQ(Entry(1).name, std::wstring(259, L'm'));
}

TEST_F(ZipArchiveTest, NonUtf8NameBytesBecomeQuestionMarks) {
    ZipWriter writer;
    writer.AddFile("caf\x82.txt", "code page 437 e-acute");
    OpenBytes(writer.Finish());
    EXPECT_EQ(Entry(0).name, L"caf?.txt");
}

TEST_F(ZipArchiveTest, MissingNameIsNotFound) {
    OpenBytes(SmallArchive());
    int index = 5;
    EXPECT_EQ(archive_.FindItem(L"img/missing.png", true, &index, nullptr), ZipResult::kNotFound);
    EXPECT_EQ(index, -1);
}

TEST_F(ZipArchiveTest, SmallBufferGivesMoreDataWithTheFirstBytes) {
    for (ZipWriter::Method method : {ZipWriter::Method::kStored, ZipWriter::Method::kDeflate}) {
        ZipWriter writer;
        const std::string text = CompressibleText();
        writer.AddFile("text.ini", text, method);
        OpenBytes(writer.Finish());
        for (std::size_t capacity : {std::size_t{0}, std::size_t{1}, std::size_t{1000}, text.size() - 1}) {
            SCOPED_TRACE(testing::Message() << "capacity " << capacity);
            std::string unzipped;
            EXPECT_EQ(Unzip(0, capacity, &unzipped), ZipResult::kMoreData);
            EXPECT_EQ(unzipped, text.substr(0, capacity));
        }
    }
}

TEST_F(ZipArchiveTest, BadArgumentsAreRefused) {
    char buffer[16];
    ZipEntry entry;
    std::size_t written = 7;
    // Nothing open yet.
    EXPECT_EQ(archive_.GetItem(-1, &entry), ZipResult::kBadArgument);
    EXPECT_EQ(archive_.FindItem(L"skin.xml", true, nullptr, nullptr), ZipResult::kBadArgument);
    EXPECT_EQ(archive_.UnzipItem(0, buffer, sizeof buffer, &written), ZipResult::kBadArgument);
    EXPECT_EQ(written, 0u);
    EXPECT_EQ(archive_.OpenFromMemory(nullptr, 10), ZipResult::kBadArgument);
    EXPECT_FALSE(archive_.IsOpen());

    OpenBytes(SmallArchive());
    for (int index : {-2, 3, 1000}) {
        EXPECT_EQ(archive_.GetItem(index, &entry), ZipResult::kBadArgument) << index;
        EXPECT_EQ(archive_.UnzipItem(index, buffer, sizeof buffer, nullptr), ZipResult::kBadArgument) << index;
    }
    EXPECT_EQ(archive_.UnzipItem(-1, buffer, sizeof buffer, nullptr), ZipResult::kBadArgument);
    EXPECT_EQ(archive_.GetItem(0, nullptr), ZipResult::kBadArgument);
    EXPECT_EQ(archive_.UnzipItem(0, nullptr, 100, &written), ZipResult::kBadArgument);
    EXPECT_EQ(archive_.UnzipItem(1, nullptr, 0, &written), ZipResult::kBadArgument);

    archive_.Close();
    EXPECT_FALSE(archive_.IsOpen());
    EXPECT_EQ(archive_.GetItem(0, &entry), ZipResult::kBadArgument);
}

TEST_F(ZipArchiveTest, OpeningAgainReplacesTheArchive) {
    OpenBytes(SmallArchive());
    ZipWriter writer;
    writer.AddFile("only.txt", "one");
    const Bytes other = writer.Finish();
    ASSERT_EQ(archive_.OpenFromMemory(other.data(), other.size()), ZipResult::kOk);
    EXPECT_EQ(Entry(-1).index, 1);
    EXPECT_EQ(Entry(0).name, L"only.txt");
    const Bytes garbage(100, 'x');
    EXPECT_EQ(archive_.OpenFromMemory(garbage.data(), garbage.size()), ZipResult::kCorrupt);
    EXPECT_FALSE(archive_.IsOpen());
}

TEST_F(ZipArchiveTest, OpensFromFile) {
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("ZipArchiveTest." + std::to_string(::getpid()) + ".zip");
    const Bytes archive = SmallArchive();
    {
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(archive.data()), static_cast<std::streamsize>(archive.size()));
    }
    ASSERT_EQ(archive_.OpenFromFile(path.string()), ZipResult::kOk);
    std::filesystem::remove(path);
    int index = -1;
    ASSERT_EQ(archive_.FindItem(L"img\\bk.png", true, &index, nullptr), ZipResult::kOk);
    std::string unzipped;
    EXPECT_EQ(Unzip(index, Entry(index).uncompressedSize, &unzipped), ZipResult::kOk);
    EXPECT_EQ(unzipped, "\x89PNG not really a picture, but bytes");

    EXPECT_EQ(archive_.OpenFromFile(path.string()), ZipResult::kReadError);
    EXPECT_FALSE(archive_.IsOpen());
    EXPECT_EQ(archive_.OpenFromFile(path.parent_path().string()), ZipResult::kReadError);
}

TEST_F(ZipArchiveTest, ArchiveWithCommentOpens) {
    ZipWriter writer;
    writer.AddFile("a.txt", "alpha");
    // A comment holding a whole end record (no entries, no comment) of its own:
    // the scan must prefer the real record, whose comment reaches the end.
    std::string fakeEnd("PK\x05\x06", 4);
    fakeEnd.append(18, '\0');
    writer.SetComment("built by the tests " + fakeEnd + " and the text after it");
    OpenBytes(writer.Finish());
    EXPECT_EQ(Entry(-1).index, 1);
    std::string unzipped;
    EXPECT_EQ(Unzip(0, 5, &unzipped), ZipResult::kOk);
    EXPECT_EQ(unzipped, "alpha");

    ZipWriter longComment;
    longComment.AddFile("b.txt", "beta");
    longComment.SetComment(std::string(65535, 'c'));
    OpenBytes(longComment.Finish());
    EXPECT_EQ(Entry(0).name, L"b.txt");
}

TEST_F(ZipArchiveTest, BytesAfterTheEndRecordAreTolerated) {
    Bytes archive = SmallArchive();
    archive.insert(archive.end(), 10, 0);
    OpenBytes(archive);
    EXPECT_EQ(Entry(-1).index, 3);
}

TEST_F(ZipArchiveTest, ArchivesOfOtherWritersOpen) {
    // Written by Info-ZIP: Unix attributes, extra fields, a comment; the second
    // one streamed, so its entries have data descriptors.
    for (const char* file : {"interop/infozip.zip", "interop/streamed-tree.zip"}) {
        SCOPED_TRACE(file);
        OpenBytes(ReadFileBytes(std::filesystem::path(ZD_ZIP_TEST_DATA) / file));
        EXPECT_EQ(Entry(-1).index, 3);
        std::string readme;
        int index = -1;
        ASSERT_EQ(archive_.FindItem(L"README.TXT", true, &index, nullptr), ZipResult::kOk);
        EXPECT_EQ(Unzip(index, 20, &readme), ZipResult::kOk);
        EXPECT_EQ(readme, "hello from info-zip\n");
        EXPECT_EQ(Entry(1).attributes, ZipEntry::kDirectory);
        EXPECT_EQ(Entry(0).attributes, ZipEntry::kNormal);
        std::string notes;
        ASSERT_EQ(archive_.FindItem(L"img\\notes.txt", false, &index, nullptr), ZipResult::kOk);
        EXPECT_EQ(Unzip(index, 4690, &notes), ZipResult::kOk);
        EXPECT_EQ(notes.substr(0, 23), "line 0 of a text file\nl");
    }
}

// Damage done to a small archive, and what it must give.
struct DamageCase {
    const char* what;
    void (*damage)(Bytes& archive, const Layout& layout);
    ZipResult open;
    ZipResult unzip;  // of entry 0, when the archive opens
};

const DamageCase kDamageCases[] = {
    {"truncated by one byte", [](Bytes& a, const Layout&) { a.pop_back(); }, ZipResult::kCorrupt, ZipResult::kOk},
    {"only the entries, no directory", [](Bytes& a, const Layout& l) { a.resize(l.central[0]); }, ZipResult::kCorrupt,
     ZipResult::kOk},
    {"end record signature", [](Bytes& a, const Layout& l) { a[l.end] = 'Q'; }, ZipResult::kCorrupt, ZipResult::kOk},
    {"multi-disk archive", [](Bytes& a, const Layout& l) { Write16(a, l.end + 4, 1); }, ZipResult::kCorrupt,
     ZipResult::kOk},
    {"entry counts disagree", [](Bytes& a, const Layout& l) { Write16(a, l.end + 8, 2); }, ZipResult::kCorrupt,
     ZipResult::kOk},
    {"more entries than records",
     [](Bytes& a, const Layout& l) {
         Write16(a, l.end + 8, 4);
         Write16(a, l.end + 10, 4);
     },
     ZipResult::kCorrupt, ZipResult::kOk},
    {"directory runs into the end record",
     [](Bytes& a, const Layout& l) { Write32(a, l.end + 12, Read32(a, l.end + 12) + 1); }, ZipResult::kCorrupt,
     ZipResult::kOk},
    {"directory offset wraps around", [](Bytes& a, const Layout& l) { Write32(a, l.end + 16, 0xFFFFFFF0u); },
     ZipResult::kCorrupt, ZipResult::kOk},
    {"directory record signature", [](Bytes& a, const Layout& l) { a[l.central[1] + 2] ^= 0xFF; }, ZipResult::kCorrupt,
     ZipResult::kOk},
    {"name runs past the directory", [](Bytes& a, const Layout& l) { Write16(a, l.central[2] + 28, 0xFFFF); },
     ZipResult::kCorrupt, ZipResult::kOk},
    {"comment runs past the directory", [](Bytes& a, const Layout& l) { Write16(a, l.central[2] + 32, 1); },
     ZipResult::kCorrupt, ZipResult::kOk},
    {"damaged deflate data", [](Bytes& a, const Layout& l) { a[l.data[0]] = 0x07; },  // final block, type 3
     ZipResult::kOk, ZipResult::kCorrupt},
    {"CRC mismatch", [](Bytes& a, const Layout& l) { a[l.central[0] + 16] ^= 1; }, ZipResult::kOk, ZipResult::kCorrupt},
    {"encrypted entry", [](Bytes& a, const Layout& l) { a[l.central[0] + 8] |= 1; }, ZipResult::kOk,
     ZipResult::kCorrupt},
    {"unsupported method (bzip2)", [](Bytes& a, const Layout& l) { Write16(a, l.central[0] + 10, 12); }, ZipResult::kOk,
     ZipResult::kCorrupt},
    {"local header signature", [](Bytes& a, const Layout&) { a[0] = 'Q'; }, ZipResult::kOk, ZipResult::kCorrupt},
    {"local header offset past the data", [](Bytes& a, const Layout& l) { Write32(a, l.central[0] + 42, 0xFFFFFFFFu); },
     ZipResult::kOk, ZipResult::kCorrupt},
    {"local header inside the directory",
     [](Bytes& a, const Layout& l) { Write32(a, l.central[0] + 42, static_cast<std::uint32_t>(l.central[0])); },
     ZipResult::kOk, ZipResult::kCorrupt},
    {"local extra field runs past the data", [](Bytes& a, const Layout&) { Write16(a, 28, 0xFFFF); }, ZipResult::kOk,
     ZipResult::kCorrupt},
    {"compressed size runs past the data", [](Bytes& a, const Layout& l) { Write32(a, l.central[0] + 20, 0x7FFFFFFF); },
     ZipResult::kOk, ZipResult::kCorrupt},
    {"compressed size cuts the deflate stream",
     [](Bytes& a, const Layout& l) { Write32(a, l.central[0] + 20, Read32(a, l.central[0] + 20) - 3); }, ZipResult::kOk,
     ZipResult::kCorrupt},
    {"declared size larger than the data",
     [](Bytes& a, const Layout& l) { Write32(a, l.central[0] + 24, Read32(a, l.central[0] + 24) + 1); }, ZipResult::kOk,
     ZipResult::kCorrupt},
    {"declared size smaller than the data",
     [](Bytes& a, const Layout& l) { Write32(a, l.central[0] + 24, Read32(a, l.central[0] + 24) - 1); }, ZipResult::kOk,
     ZipResult::kCorrupt},
};

TEST_F(ZipArchiveTest, DamagedArchivesAreCorrupt) {
    const Bytes original = SmallArchive();
    const Layout layout(original);
    for (const DamageCase& c : kDamageCases) {
        SCOPED_TRACE(c.what);
        Bytes damaged = original;
        c.damage(damaged, layout);
        ZipArchive archive;
        ASSERT_EQ(archive.OpenFromMemory(damaged.data(), damaged.size()), c.open);
        if (c.open != ZipResult::kOk) continue;
        ZipEntry entry;
        ASSERT_EQ(archive.GetItem(0, &entry), ZipResult::kOk);
        std::vector<char> buffer(entry.uncompressedSize);
        std::size_t written = 1;
        EXPECT_EQ(archive.UnzipItem(0, buffer.data(), buffer.size(), &written), c.unzip);
        EXPECT_EQ(written, 0u);
        // The undamaged entries still unzip.
        ASSERT_EQ(archive.GetItem(2, &entry), ZipResult::kOk);
        buffer.resize(entry.uncompressedSize);
        EXPECT_EQ(archive.UnzipItem(2, buffer.data(), buffer.size(), nullptr), ZipResult::kOk);
    }
}

TEST_F(ZipArchiveTest, DamagedStoredDataFailsItsCrc) {
    Bytes archive = SmallArchive(ZipWriter::Method::kStored);
    const Layout layout(archive);
    archive[layout.data[2] + 5] ^= 0x20;
    OpenBytes(archive);
    EXPECT_EQ(Unzip(2, Entry(2).uncompressedSize, nullptr), ZipResult::kCorrupt);
    // A partial read cannot check the CRC and gives the bytes as they are.
    std::string start;
    EXPECT_EQ(Unzip(2, 4, &start), ZipResult::kMoreData);
    EXPECT_EQ(start, "\x89PNG");
}

TEST_F(ZipArchiveTest, StoredSizesThatDisagreeAreCorrupt) {
    Bytes archive = SmallArchive(ZipWriter::Method::kStored);
    const Layout layout(archive);
    Write32(archive, layout.central[0] + 20, Read32(archive, layout.central[0] + 20) - 1);
    OpenBytes(archive);
    EXPECT_EQ(Unzip(0, Entry(0).uncompressedSize, nullptr), ZipResult::kCorrupt);
}

// Runs every operation over whatever opened; results must be in range and
// nothing may read or write outside its buffers (the sanitizer build checks).
void ExerciseEverything(const Bytes& input) {
    ZipArchive archive;
    const ZipResult open = archive.OpenFromMemory(input.data(), input.size());
    ASSERT_TRUE(open == ZipResult::kOk || open == ZipResult::kCorrupt);
    if (open != ZipResult::kOk) {
        ASSERT_FALSE(archive.IsOpen());
        return;
    }
    ZipEntry count;
    ASSERT_EQ(archive.GetItem(-1, &count), ZipResult::kOk);
    for (int i = 0; i < count.index; ++i) {
        ZipEntry entry;
        ASSERT_EQ(archive.GetItem(i, &entry), ZipResult::kOk);
        const ZipResult found = archive.FindItem(entry.name, true, nullptr, nullptr);
        ASSERT_TRUE(found == ZipResult::kOk || found == ZipResult::kNotFound);
        const std::size_t size = std::min<std::size_t>(entry.uncompressedSize, 1 << 20);
        std::vector<std::uint8_t> buffer(size + 1);
        const ZipResult unzip = archive.UnzipItem(i, buffer.data(), size, nullptr);
        ASSERT_TRUE(unzip == ZipResult::kOk || unzip == ZipResult::kMoreData || unzip == ZipResult::kCorrupt);
        const ZipResult half = archive.UnzipItem(i, buffer.data(), size / 2, nullptr);
        ASSERT_TRUE(half == ZipResult::kOk || half == ZipResult::kMoreData || half == ZipResult::kCorrupt);
    }
}

TEST_F(ZipArchiveTest, EveryTruncationIsCorrupt) {
    for (ZipWriter::Method method : {ZipWriter::Method::kStored, ZipWriter::Method::kDeflate}) {
        const Bytes archive = SmallArchive(method);
        for (std::size_t length = 0; length < archive.size(); ++length) {
            SCOPED_TRACE(testing::Message() << "length " << length);
            // An exactly sized copy, so that reading past it is caught.
            const Bytes prefix(archive.begin(), archive.begin() + static_cast<std::ptrdiff_t>(length));
            ZipArchive truncated;
            EXPECT_EQ(truncated.OpenFromMemory(prefix.data(), prefix.size()), ZipResult::kCorrupt);
        }
    }
}

TEST_F(ZipArchiveTest, GarbageAtEveryOffsetNeverBreaksTheReader) {
    for (ZipWriter::Method method : {ZipWriter::Method::kStored, ZipWriter::Method::kDeflate}) {
        const Bytes archive = SmallArchive(method);
        const Layout layout(archive);
        for (std::size_t at = 0; at < archive.size(); ++at) {
            for (std::uint8_t value : {std::uint8_t{0x00}, std::uint8_t{0xFF}, std::uint8_t(archive[at] ^ 0x01),
                                       std::uint8_t(archive[at] ^ 0x80)}) {
                SCOPED_TRACE(testing::Message() << "offset " << at << " value " << int(value));
                Bytes damaged = archive;
                damaged[at] = value;
                ExerciseEverything(damaged);
                // Prefixes of the damaged archive too: a cut at every offset.
                if (at % 7 == 0) {
                    ExerciseEverything(Bytes(damaged.begin(), damaged.begin() + static_cast<std::ptrdiff_t>(at)));
                }
            }
        }
        // A changed byte of stored data is always caught by the CRC.
        if (method != ZipWriter::Method::kStored) continue;
        for (std::size_t at = layout.data[2]; at < layout.central[0]; ++at) {
            Bytes damaged = archive;
            damaged[at] ^= 0x10;
            ZipArchive reader;
            ASSERT_EQ(reader.OpenFromMemory(damaged.data(), damaged.size()), ZipResult::kOk);
            char buffer[64];
            EXPECT_EQ(reader.UnzipItem(2, buffer, sizeof buffer, nullptr), ZipResult::kCorrupt) << at;
        }
    }
}

// Malformed inputs kept as files: shapes that break readers which trust the
// numbers they read (32-bit wrap-around, lengths past the end, streams longer
// than declared).
struct KeptInputCase {
    const char* file;
    ZipResult open;
    ZipResult unzip;  // of entry 0 into a buffer of its declared size (at most 1 MiB)
};

const KeptInputCase kKeptInputs[] = {
    {"comment-length-past-archive.zip", ZipResult::kCorrupt, ZipResult::kOk},
    {"declared-size-4gib.zip", ZipResult::kOk, ZipResult::kCorrupt},
    {"deflate-longer-than-declared.zip", ZipResult::kOk, ZipResult::kCorrupt},
    {"directory-offset-wraps-32-bits.zip", ZipResult::kCorrupt, ZipResult::kOk},
    {"end-record-claims-65535-entries.zip", ZipResult::kCorrupt, ZipResult::kOk},
    {"extra-length-past-directory.zip", ZipResult::kCorrupt, ZipResult::kOk},
    {"local-extra-past-data.zip", ZipResult::kOk, ZipResult::kCorrupt},
    {"local-offset-past-archive.zip", ZipResult::kOk, ZipResult::kCorrupt},
    {"name-length-past-directory.zip", ZipResult::kCorrupt, ZipResult::kOk},
    {"two-entries-one-local-header.zip", ZipResult::kOk, ZipResult::kOk},
};

const std::filesystem::path kMalformedFolder = std::filesystem::path(ZD_ZIP_TEST_DATA) / "malformed";

TEST_F(ZipArchiveTest, KeptMalformedInputsGiveTheirResults) {
    for (const KeptInputCase& c : kKeptInputs) {
        SCOPED_TRACE(c.file);
        const Bytes input = ReadFileBytes(kMalformedFolder / c.file);
        ASSERT_FALSE(input.empty());
        ZipArchive archive;
        ASSERT_EQ(archive.OpenFromMemory(input.data(), input.size()), c.open);
        if (c.open != ZipResult::kOk) continue;
        ZipEntry entry;
        ASSERT_EQ(archive.GetItem(0, &entry), ZipResult::kOk);
        std::vector<std::uint8_t> buffer(std::min<std::size_t>(entry.uncompressedSize, 1 << 20));
        EXPECT_EQ(archive.UnzipItem(0, buffer.data(), buffer.size(), nullptr), c.unzip);
    }
}

// Every file in the folder, including ones added without a table row.
TEST_F(ZipArchiveTest, KeptMalformedInputsNeverBreakTheReader) {
    int files = 0;
    for (const auto& item : std::filesystem::directory_iterator(kMalformedFolder)) {
        SCOPED_TRACE(item.path().filename().string());
        ExerciseEverything(ReadFileBytes(item.path()));
        ++files;
    }
    EXPECT_GE(files, static_cast<int>(std::size(kKeptInputs)));
}

TEST(ZipWriterTest, OutputIsReproducible) {
    auto build = [] {
        ZipWriter writer;
        writer.AddFolder("en/");
        writer.AddFile("en/text.ini", CompressibleText());
        writer.AddFile("en/UrlInfo.ini", "[url]\n", ZipWriter::Method::kStored);
        return writer.Finish();
    };
    const Bytes first = build();
    EXPECT_EQ(first, build());
    ZipWriter writer;
    writer.AddFolder("en/");
    EXPECT_EQ(writer.Finish(), writer.Finish());
    EXPECT_EQ(writer.EntryCount(), 1u);
}

TEST(ZipWriterTest, RefusesEntriesTheFormatCannotHold) {
    ZipWriter writer;
    EXPECT_FALSE(writer.AddFile("", "x"));
    EXPECT_FALSE(writer.AddFolder(""));
    EXPECT_FALSE(writer.AddFile(std::string(65536, 'n'), "x"));
    EXPECT_FALSE(writer.AddFile("null", nullptr, 3));
    EXPECT_TRUE(writer.AddFile("empty", nullptr, 0));
    EXPECT_EQ(writer.EntryCount(), 1u);
}

}  // namespace
