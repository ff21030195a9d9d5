#include "download_engine/resume_file.h"

#include <cstdint>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "download_engine/entry.h"
#include "download_engine/http_error.h"
#include "support/TempFolder.h"
#include "support/TestFiles.h"

namespace dlengine {
namespace {

using namespace std::string_literals;

constexpr std::int64_t kGiB = std::int64_t{1} << 30;
constexpr std::int64_t kExampleSize = 1000000;
constexpr std::int64_t kExamplePiece = 16384;  // 62 pieces, the last one 576 bytes
const std::string kUrl = "https://downloads.example.org/setup/ZelmoraSetup.exe?channel=7";

// The temporary folders are ASCII, so a byte-wise widening is exact.
std::wstring Wide(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

std::string ExampleFile(const std::string& bitfield) {
    return "d8:bitfield8:" + bitfield + "9:file_sizei1000000e9:final_url" + std::to_string(kUrl.size()) + ":" +
           kUrl + "9:piece_numi62e10:piece_sizei16384ee";
}

// The members of a well-formed example file, to be spoiled one at a time.
entry::dictionary_type ExampleMembers() {
    return {{"bitfield", std::string(8, '\0')},
            {"file_size", kExampleSize},
            {"final_url", kUrl},
            {"piece_num", 62},
            {"piece_size", kExamplePiece}};
}

class ResumeFileTest : public ::testing::Test {
protected:
    std::string CfgPath() const { return folder_ / "setup.exe.cfg"; }
    std::wstring WideCfgPath() const { return Wide(CfgPath()); }

    resume_load_result Load(const std::string& bytes) {
        WriteFileText(CfgPath(), bytes);
        resume_file file;
        return file.open(WideCfgPath());
    }

    TempFolder folder_;
};

TEST_F(ResumeFileTest, WritesTheExampleByteForByte) {
    // Pieces 0-2 whole, piece 10 only partly, and the short last piece 61.
    const byte_ranges downloaded = {{0, 3 * kExamplePiece}, {10 * kExamplePiece, 10 * kExamplePiece + 100},
                                    {61 * kExamplePiece, kExampleSize}};
    const resume_state state = make_resume_state(kUrl, kExampleSize, kExamplePiece, downloaded);
    const std::string expected = ExampleFile("\xe0\0\0\0\0\0\0\x04"s);
    EXPECT_EQ(state.piece_num, 62);
    EXPECT_EQ(encode_resume_state(state), expected);

    resume_file file;
    EXPECT_EQ(file.open(WideCfgPath()).outcome, resume_outcome::fresh_start);
    ASSERT_TRUE(file.update(state));
    EXPECT_EQ(ReadFileText(CfgPath()), expected);
}

struct LoadCase {
    const char* name;
    std::string bitfield;
    byte_ranges ranges;
};

TEST_F(ResumeFileTest, LoadsTheDownloadedRanges) {
    const LoadCase cases[] = {
        {"every bit set, spare bits too", std::string(8, '\xff'), {{0, kExampleSize}}},
        {"exactly the 62 bits", std::string(7, '\xff') + "\xfc", {{0, kExampleSize}}},
        {"only spare bits", std::string(7, '\0') + "\x03", {}},
        {"run ending at the short last piece", std::string(7, '\0') + "\x0c", {{60 * kExamplePiece, kExampleSize}}},
        {"two runs", "\xa0"s + std::string(6, '\0') + "\x04",
         {{0, kExamplePiece}, {2 * kExamplePiece, 3 * kExamplePiece}, {61 * kExamplePiece, kExampleSize}}},
        {"run across a byte boundary", "\x01\x80"s + std::string(6, '\0'), {{7 * kExamplePiece, 9 * kExamplePiece}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const resume_load_result result = Load(ExampleFile(c.bitfield));
        ASSERT_EQ(result.outcome, resume_outcome::loaded) << result.error.message();
        EXPECT_EQ(result.state.final_url, kUrl);
        EXPECT_EQ(result.state.file_size, kExampleSize);
        EXPECT_EQ(result.state.piece_size, kExamplePiece);
        EXPECT_EQ(result.state.piece_num, 62);
        EXPECT_EQ(result.state.bitfield, c.bitfield);
        EXPECT_EQ(bitfield_to_ranges(result.state.bitfield, result.state.file_size, result.state.piece_size),
                  c.ranges);
    }
}

TEST_F(ResumeFileTest, EmptyFileIsAFreshStart) {
    WriteFileText(CfgPath(), "");
    resume_file file;
    const resume_load_result result = file.open(WideCfgPath());
    EXPECT_EQ(result.outcome, resume_outcome::fresh_start);
    EXPECT_FALSE(result.error);
    EXPECT_TRUE(file.is_open());
}

TEST_F(ResumeFileTest, MissingFileIsAFreshStartAndIsCreated) {
    resume_file file;
    EXPECT_EQ(file.open(WideCfgPath()).outcome, resume_outcome::fresh_start);
    EXPECT_TRUE(std::filesystem::exists(CfgPath()));
    EXPECT_EQ(std::filesystem::file_size(CfgPath()), 0u);
}

TEST_F(ResumeFileTest, UndecodableFileFailsToLoad) {
    const std::string good = ExampleFile(std::string(8, '\0'));
    const std::string cases[] = {
        "garbage",
        "\0\0\0\0"s,
        good.substr(0, good.size() - 1),
        good.substr(0, 13),
        "d8:bitfield99999999999:",
        "d9:file_sizei123456789012345678901234567890ee",
        "d1:a" + std::string(100000, 'l'),
    };
    for (const auto& bytes : cases) {
        SCOPED_TRACE(bytes.substr(0, 40));
        const resume_load_result result = Load(bytes);
        EXPECT_EQ(result.outcome, resume_outcome::load_failed);
        EXPECT_EQ(result.error.category(), bdecode_category()) << result.error.message();
    }
}

struct SpoiledCase {
    const char* name;
    const char* key;
    entry value;  // undefined: the key is removed
};

TEST_F(ResumeFileTest, ValuesThatDoNotFitTogetherFailToLoad) {
    const SpoiledCase cases[] = {
        {"piece size 0", "piece_size", 0},
        {"negative piece size", "piece_size", -16384},
        {"piece size beyond 32 bits", "piece_size", std::int64_t{1} << 31},
        {"no piece size", "piece_size", entry()},
        {"piece count one short", "piece_num", 61},
        {"piece count one over", "piece_num", 63},
        {"no piece count", "piece_num", entry()},
        {"bitfield one byte short", "bitfield", std::string(7, '\xff')},
        {"bitfield one byte long", "bitfield", std::string(9, '\xff')},
        {"no bitfield", "bitfield", entry()},
        {"negative file size", "file_size", -1},
        {"file size of another piece count", "file_size", 2 * kExampleSize},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        entry::dictionary_type members = ExampleMembers();
        members.erase(c.key);
        if (c.value.type() != entry::data_type::undefined) members.emplace(c.key, c.value);
        const resume_load_result result = Load(bencode(entry(members)));
        EXPECT_EQ(result.outcome, resume_outcome::load_failed);
        EXPECT_EQ(result.error, boost::system::errc::bad_message) << result.error.message();
    }
}

// A huge piece count with a tiny bitfield must be refused before any loop
// or allocation follows the count.
TEST_F(ResumeFileTest, AbsurdSizesFailToLoad) {
    const entry::dictionary_type absurd = {{"bitfield", "\xff"},
                                           {"file_size", std::int64_t{1} << 62},
                                           {"final_url", kUrl},
                                           {"piece_num", std::int64_t{1} << 62},
                                           {"piece_size", 1}};
    const resume_load_result result = Load(bencode(entry(absurd)));
    EXPECT_EQ(result.outcome, resume_outcome::load_failed);
    EXPECT_EQ(result.error, boost::system::errc::bad_message);
}

TEST_F(ResumeFileTest, WrongTypeFailsToLoadWithTheEntryTypeError) {
    const SpoiledCase cases[] = {
        {"size as text", "file_size", "1000000"},
        {"bitfield as a number", "bitfield", 0},
        {"URL as a list", "final_url", entry::list_type{}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        entry::dictionary_type members = ExampleMembers();
        members[c.key] = c.value;
        const resume_load_result result = Load(bencode(entry(members)));
        EXPECT_EQ(result.outcome, resume_outcome::load_failed);
        EXPECT_EQ(result.error, make_error_code(http_error::invalid_entry_type));
        EXPECT_EQ(result.error.value(), 10);
    }
    EXPECT_EQ(Load("li1ee").error, make_error_code(http_error::invalid_entry_type));
}

TEST_F(ResumeFileTest, FileTooLargeIsNotRead) {
    WriteFileText(CfgPath(), "d");
    std::filesystem::resize_file(CfgPath(), 17u << 20);
    resume_file file;
    const resume_load_result result = file.open(WideCfgPath());
    EXPECT_EQ(result.outcome, resume_outcome::load_failed);
    EXPECT_EQ(result.error, boost::system::errc::file_too_large);
}

TEST_F(ResumeFileTest, RewriteKeepsALongerOldFileReadable) {
    const resume_state old_state =
        make_resume_state(kUrl + "&a-much-longer-query-from-an-earlier-download", 5 * kGiB, 4 << 20, {{0, kGiB}});
    const resume_state new_state = make_resume_state(kUrl, kExampleSize, kExamplePiece, {{0, kExamplePiece}});
    resume_file file;
    file.open(WideCfgPath());
    ASSERT_TRUE(file.update(old_state));
    const std::string old_bytes = ReadFileText(CfgPath());
    ASSERT_TRUE(file.update(new_state));
    file.close();

    const std::string new_encoding = encode_resume_state(new_state);
    ASSERT_LT(new_encoding.size(), old_bytes.size());
    const std::string bytes = ReadFileText(CfgPath());
    EXPECT_EQ(bytes, new_encoding + old_bytes.substr(new_encoding.size()));

    const resume_load_result result = file.open(WideCfgPath());
    ASSERT_EQ(result.outcome, resume_outcome::loaded) << result.error.message();
    EXPECT_EQ(result.state, new_state);
}

TEST_F(ResumeFileTest, UpdateTriesAgainAfterAFailure) {
    const std::string folder = folder_ / "not-yet";
    const std::wstring path = Wide(folder + "/setup.exe.cfg");
    const resume_state state = make_resume_state(kUrl, kExampleSize, kExamplePiece, {});
    resume_file file;
    const resume_load_result result = file.open(path);
    EXPECT_EQ(result.outcome, resume_outcome::load_failed);
    EXPECT_TRUE(result.error);
    EXPECT_FALSE(file.update(state));

    std::filesystem::create_directory(folder);
    EXPECT_TRUE(file.update(state));
    EXPECT_EQ(ReadFileText(folder + "/setup.exe.cfg"), encode_resume_state(state));
}

TEST_F(ResumeFileTest, DiscardDeletesTheFileAndUpdateMakesItAgain) {
    resume_file file;
    ASSERT_EQ(Load("garbage").outcome, resume_outcome::load_failed);
    file.open(WideCfgPath());
    file.discard();
    EXPECT_FALSE(file.is_open());
    EXPECT_FALSE(std::filesystem::exists(CfgPath()));

    const resume_state state = make_resume_state(kUrl, kExampleSize, kExamplePiece, {{0, kExampleSize}});
    ASSERT_TRUE(file.update(state));
    EXPECT_EQ(ReadFileText(CfgPath()), encode_resume_state(state));
}

TEST_F(ResumeFileTest, OpensAPathWithNonAsciiCharacters) {
    const std::string utf8_path = folder_ / "Gr\xc3\xbc\xc3\x9f\xe4\xb8\xad\xf0\x9f\x98\x80.cfg";
    const std::wstring wide_path = Wide(folder_.path()) + L"/Gr\u00fc\u00df\u4e2d\U0001F600.cfg";
    const resume_state state = make_resume_state(kUrl, kExampleSize, kExamplePiece, {{0, kExamplePiece}});
    WriteFileText(utf8_path, encode_resume_state(state));
    resume_file file;
    const resume_load_result result = file.open(wide_path);
    ASSERT_EQ(result.outcome, resume_outcome::loaded) << result.error.message();
    EXPECT_EQ(result.state, state);
}

TEST_F(ResumeFileTest, KeepsOffsetsBeyondTwoGibibytes) {
    constexpr std::int64_t size = 5 * kGiB + 123;
    constexpr std::int64_t piece = 4 << 20;  // 1281 pieces, the last one 123 bytes
    const byte_ranges downloaded = {{0, piece}, {2 * kGiB - piece, 2 * kGiB + piece}, {3 * kGiB, size}};
    const resume_state state = make_resume_state(kUrl, size, piece, downloaded);
    EXPECT_EQ(state.piece_num, 1281);
    EXPECT_NE(encode_resume_state(state).find("9:file_sizei5368709243e"), std::string::npos);

    resume_file file;
    file.open(WideCfgPath());
    ASSERT_TRUE(file.update(state));
    const resume_load_result result = file.open(WideCfgPath());
    ASSERT_EQ(result.outcome, resume_outcome::loaded) << result.error.message();
    EXPECT_EQ(bitfield_to_ranges(result.state.bitfield, result.state.file_size, result.state.piece_size), downloaded);
}

struct RangesCase {
    const char* name;
    std::int64_t file_size;
    std::int64_t piece_size;
    byte_ranges ranges;
    std::string bitfield;
    byte_ranges loaded;
};

TEST(ResumeRangesTest, RangesAndBitfieldRoundTrip) {
    constexpr std::int64_t p = 16384;
    constexpr std::int64_t size = 6 * p + 1696;  // 7 pieces, the last one short
    const RangesCase cases[] = {
        {"nothing", size, p, {}, "\0"s, {}},
        {"everything", size, p, {{0, size}}, "\xfe", {{0, size}}},
        {"partial pieces count as missing", size, p, {{100, 2 * p + 5}}, "\x40", {{p, 2 * p}}},
        {"touching ranges are joined", size, p, {{0, 8192}, {8192, p}, {p, p + 10}}, "\x80", {{0, p}}},
        {"short last piece written whole", size, p, {{6 * p, size}}, "\x02", {{6 * p, size}}},
        {"short last piece one byte short", size, p, {{6 * p, size - 1}}, "\0"s, {}},
        {"bytes outside the file", size, p, {{-5, p}, {6 * p, 2 * size}}, "\x82", {{0, p}, {6 * p, size}}},
        {"size a multiple of the piece", 2 * p, p, {{p, 2 * p}}, "\x40", {{p, 2 * p}}},
        {"nine pieces", 9 * p, p, {{0, 9 * p}}, "\xff\x80", {{0, 9 * p}}},
        {"empty file", 0, p, {}, "", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string bitfield = ranges_to_bitfield(c.ranges, c.file_size, c.piece_size);
        EXPECT_EQ(bitfield, c.bitfield);
        EXPECT_EQ(bitfield_to_ranges(bitfield, c.file_size, c.piece_size), c.loaded);
    }
}

TEST(ResumeRangesTest, ShortBitfieldGivesOnlyThePiecesItHolds) {
    EXPECT_EQ(bitfield_to_ranges("\xff", 100 * 16384, 16384), (byte_ranges{{0, 8 * 16384}}));
    EXPECT_EQ(bitfield_to_ranges("", 100 * 16384, 16384), byte_ranges{});
    EXPECT_EQ(bitfield_to_ranges("\xff", 100, 0), byte_ranges{});
}

// A bit is set exactly when its piece is covered, whatever the ranges look
// like, checked against a byte-by-byte count on random range sets.
TEST(ResumeRangesTest, BitsMatchCoveredPiecesOnRandomRanges) {
    std::mt19937 rng(20240611);
    for (int round = 0; round < 300; ++round) {
        const std::int64_t piece = 1 + static_cast<std::int64_t>(rng() % 40);
        const std::int64_t size = static_cast<std::int64_t>(rng() % 600);
        std::vector<bool> covered(static_cast<std::size_t>(size), false);
        byte_ranges ranges;
        for (std::int64_t at = 0; at < size;) {
            const std::int64_t gap = static_cast<std::int64_t>(rng() % 50);
            const std::int64_t length = 1 + static_cast<std::int64_t>(rng() % 120);
            const std::int64_t begin = at + gap;
            const std::int64_t end = std::min(begin + length, size);
            if (begin >= size) break;
            ranges.emplace_back(begin, end);
            for (std::int64_t i = begin; i < end; ++i) covered[static_cast<std::size_t>(i)] = true;
            at = end;
        }
        const std::string bitfield = ranges_to_bitfield(ranges, size, piece);
        const std::int64_t pieces = piece_count(size, piece);
        ASSERT_EQ(static_cast<std::int64_t>(bitfield.size()), (pieces + 7) / 8);

        std::vector<bool> expected_bytes(static_cast<std::size_t>(size), false);
        for (std::int64_t i = 0; i < pieces; ++i) {
            const std::int64_t begin = i * piece;
            const std::int64_t end = std::min(begin + piece, size);
            bool whole = true;
            for (std::int64_t b = begin; b < end; ++b) whole = whole && covered[static_cast<std::size_t>(b)];
            const bool bit = (static_cast<unsigned char>(bitfield[static_cast<std::size_t>(i / 8)]) >> (7 - i % 8)) & 1;
            ASSERT_EQ(bit, whole) << "round " << round << " piece " << i;
            for (std::int64_t b = begin; b < end && whole; ++b) expected_bytes[static_cast<std::size_t>(b)] = true;
        }
        std::vector<bool> loaded_bytes(static_cast<std::size_t>(size), false);
        std::int64_t previous_end = -1;
        for (const auto& [begin, end] : bitfield_to_ranges(bitfield, size, piece)) {
            ASSERT_LT(previous_end, begin) << "ranges must be sorted and apart";
            for (std::int64_t b = begin; b < end; ++b) loaded_bytes[static_cast<std::size_t>(b)] = true;
            previous_end = end;
        }
        ASSERT_EQ(loaded_bytes, expected_bytes) << "round " << round;
    }
}

class ReadResumeInfoTest : public ResumeFileTest {
protected:
    std::int64_t size_ = 77;
    std::wstring url_ = L"untouched";
};

TEST_F(ReadResumeInfoTest, MissingFileIsFalse) {
    EXPECT_FALSE(ReadResumeInfo(WideCfgPath(), &size_, &url_));
    EXPECT_EQ(size_, 77);
    EXPECT_EQ(url_, L"untouched");
}

TEST_F(ReadResumeInfoTest, EmptyFileIsTrueAndLeavesTheOutputs) {
    WriteFileText(CfgPath(), "");
    EXPECT_TRUE(ReadResumeInfo(WideCfgPath(), &size_, &url_));
    EXPECT_EQ(size_, 77);
    EXPECT_EQ(url_, L"untouched");
}

TEST_F(ReadResumeInfoTest, GoodFileGivesSizeAndUrl) {
    const std::string url = "https://downloads.example.org/setup.exe?c=7#top";
    WriteFileText(CfgPath(), encode_resume_state(make_resume_state(url, 5 * kGiB, 4 << 20, {})));
    ASSERT_TRUE(ReadResumeInfo(WideCfgPath(), &size_, &url_));
    EXPECT_EQ(size_, 5 * kGiB);
    EXPECT_EQ(url_, L"https://downloads.example.org/setup.exe?c=7#top");
}

struct UrlCase {
    std::string stored;
    std::wstring read;
};

TEST_F(ReadResumeInfoTest, UrlComesBackAsFullUrlText) {
    const UrlCase cases[] = {
        {"HTTP://Example.org", L"http://Example.org/"},
        {"http://user:pw@[::1]:8080/a?b#c", L"http://user:pw@[::1]:8080/a?b#c"},
        {"http://example.org/\xe4\xb8\xad", L"http://example.org/\u4e2d"},
        {"http://example.org/\xff", L"http://example.org/?"},
        {"not a url", L""},
        {"", L""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        WriteFileText(CfgPath(), encode_resume_state(make_resume_state(c.stored, 10, 16384, {})));
        ASSERT_TRUE(ReadResumeInfo(WideCfgPath(), &size_, &url_));
        EXPECT_EQ(url_, c.read);
        EXPECT_EQ(size_, 10);
    }
}

TEST_F(ReadResumeInfoTest, GarbageIsFalse) {
    for (const std::string& bytes : {"garbage"s, "d9:file_size5:12345e"s, "d9:file_sizei10ee"s}) {
        SCOPED_TRACE(bytes);
        WriteFileText(CfgPath(), bytes);
        EXPECT_FALSE(ReadResumeInfo(WideCfgPath(), &size_, &url_));
        EXPECT_EQ(size_, 77);
    }
}

TEST_F(ReadResumeInfoTest, FolderIsFalse) {
    std::filesystem::create_directory(CfgPath());
    EXPECT_FALSE(ReadResumeInfo(WideCfgPath(), &size_, &url_));
}

// Every kept input must be refused by the loader and by ReadResumeInfo alike.
TEST_F(ResumeFileTest, KeptMalformedFilesFailToLoad) {
    int files = 0;
    for (const auto& item : std::filesystem::directory_iterator(ZD_RESUME_TEST_DATA "/malformed")) {
        SCOPED_TRACE(item.path().filename().string());
        ++files;
        const std::string bytes = ReadFileText(item.path().string());
        EXPECT_EQ(decode_resume_state(bytes).outcome, resume_outcome::load_failed);
        const resume_load_result result = Load(bytes);
        EXPECT_EQ(result.outcome, resume_outcome::load_failed);
        std::int64_t size = 77;
        std::wstring url;
        EXPECT_FALSE(ReadResumeInfo(WideCfgPath(), &size, &url));
    }
    EXPECT_GT(files, 0);
}

}  // namespace
}  // namespace dlengine
