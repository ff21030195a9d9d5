#include "download_engine/entry.h"

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "download_engine/http_error.h"

namespace dlengine {
namespace {

using namespace std::string_literals;
using boost::system::error_code;

// Values of every kind, nested, with binary bytes in strings and keys.
const std::string kNested = "d"
                            "4:list" "l" "i-7e" "0:" "l" "1:\xff" "e" "e"
                            "5:z\0key"s + "d" "1:x" "i9223372036854775807e" "e"
                            "4:zero" "i0e"
                            "e";

// A resume file as the downloader writes it.
const std::string kResume = "d8:bitfield2:\xff\xc0" "9:file_sizei163840e9:final_url22:http://example.org/a.b"
                            "9:piece_numi10e10:piece_sizei16384ee";

// A failure, or a value whose encoding is exactly the bytes it was read from.
bool FailsOrDecodesCanonically(const std::string& bytes) {
    std::size_t end = 0;
    boost::system::error_code ec;
    const entry value = bdecode(bytes, end, ec);
    return ec || bencode(value) == bytes.substr(0, end);
}

struct EncodeCase {
    const char* name;
    entry value;
    std::string bytes;
};

TEST(EntryTest, EncodesEveryKindCanonically) {
    const EncodeCase cases[] = {
        {"zero", entry(0), "i0e"},
        {"negative", entry(-42), "i-42e"},
        {"smallest", entry(std::numeric_limits<std::int64_t>::min()), "i-9223372036854775808e"},
        {"largest", entry(std::numeric_limits<std::int64_t>::max()), "i9223372036854775807e"},
        {"empty string", entry(""), "0:"},
        {"binary string", entry("a\0\xff"s), "3:a\0\xff"s},
        {"list", entry(entry::list_type{1, "x", entry::list_type{}}), "li1e1:xlee"},
        // Keys in unsigned byte order: 'B' < 'a' < 'b' < 0xFF.
        {"key order", entry(entry::dictionary_type{{"b", 2}, {"\xff", 4}, {"a", 1}, {"B", 0}}),
         "d1:Bi0e1:ai1e1:bi2e1:\xffi4ee"},
        {"undefined member left out", entry(entry::dictionary_type{{"a", entry()}, {"b", 1}}), "d1:bi1ee"},
        {"undefined item left out", entry(entry::list_type{entry(), 5}), "li5ee"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(bencode(c.value), c.bytes);
        boost::system::error_code ec;
        const entry decoded = bdecode(c.bytes, ec);
        EXPECT_FALSE(ec) << ec.message();
        EXPECT_EQ(bencode(decoded), c.bytes);
    }
}

TEST(EntryTest, DecodesNestedValues) {
    boost::system::error_code ec;
    const entry value = bdecode(kNested, ec);
    ASSERT_FALSE(ec) << ec.message();
    const entry* list = value.find_key("list");
    ASSERT_NE(list, nullptr);
    const entry::list_type& items = list->list(ec);
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].integer(ec), -7);
    EXPECT_EQ(items[1].string(ec), "");
    EXPECT_EQ(items[2].list(ec).at(0).string(ec), "\xff");
    EXPECT_EQ(value.integer_at("zero", ec), 0);
    EXPECT_EQ(value.find_key("z\0key"s)->integer_at("x", ec), std::numeric_limits<std::int64_t>::max());
    EXPECT_FALSE(ec) << ec.message();
    EXPECT_EQ(bencode(value), kNested);
}

TEST(EntryTest, StopsAtTheEndOfTheFirstValue) {
    const std::string bytes = "d1:ai1ee" "d1:ai2ee and an older tail";
    std::size_t end = 0;
    boost::system::error_code ec;
    const entry value = bdecode(bytes, end, ec);
    ASSERT_FALSE(ec) << ec.message();
    EXPECT_EQ(end, 8u);
    EXPECT_EQ(value.integer_at("a", ec), 1);
}

struct MalformedCase {
    std::string bytes;
    bdecode_error error;
};

TEST(EntryTest, RejectsMalformedInput) {
    const MalformedCase cases[] = {
        {"", bdecode_error::unexpected_end},
        {"x", bdecode_error::expected_value},
        {"e", bdecode_error::expected_value},
        {"-1:a", bdecode_error::expected_value},
        {"ie", bdecode_error::invalid_integer},
        {"i-e", bdecode_error::invalid_integer},
        {"i-0e", bdecode_error::invalid_integer},
        {"i01e", bdecode_error::invalid_integer},
        {"i1xe", bdecode_error::invalid_integer},
        {"i+1e", bdecode_error::invalid_integer},
        {"01:a", bdecode_error::invalid_integer},
        {"3xabc", bdecode_error::expected_colon},
        {"i123456789012345678901234567890e", bdecode_error::integer_overflow},
        {"i9223372036854775808e", bdecode_error::integer_overflow},
        {"i-9223372036854775809e", bdecode_error::integer_overflow},
        {"123456789012345678901234567890:a", bdecode_error::integer_overflow},
        {"99999999999:abc", bdecode_error::unexpected_end},
        {"9223372036854775807:", bdecode_error::unexpected_end},
        {"l99999999999:", bdecode_error::unexpected_end},
        {"di1ei2ee", bdecode_error::key_not_string},
        {"dlei1ee", bdecode_error::key_not_string},
        {"d1:ae", bdecode_error::expected_value},
        {"d1:bi1e1:ai2ee", bdecode_error::unsorted_keys},
        {"d1:ai1e1:ai2ee", bdecode_error::unsorted_keys},
        {"d1:\xff" "i1e1:ai2ee", bdecode_error::unsorted_keys},
        {"li1e", bdecode_error::unexpected_end},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes);
        boost::system::error_code ec;
        const entry value = bdecode(c.bytes, ec);
        EXPECT_EQ(ec, make_error_code(c.error)) << ec.message();
        EXPECT_EQ(value.type(), entry::data_type::undefined);
    }
}

TEST(EntryTest, AcceptsTheIntegerLimits) {
    boost::system::error_code ec;
    EXPECT_EQ(bdecode("i-9223372036854775808e", ec).integer(ec), std::numeric_limits<std::int64_t>::min());
    EXPECT_EQ(bdecode("i9223372036854775807e", ec).integer(ec), std::numeric_limits<std::int64_t>::max());
    EXPECT_FALSE(ec) << ec.message();
}

TEST(EntryTest, EveryTruncationIsAnUnexpectedEnd) {
    for (const std::string& good : {kNested, kResume}) {
        for (std::size_t length = 0; length < good.size(); ++length) {
            SCOPED_TRACE(length);
            boost::system::error_code ec;
            std::size_t end = 0;
            bdecode(std::string_view(good).substr(0, length), end, ec);
            EXPECT_EQ(ec, make_error_code(bdecode_error::unexpected_end));
            EXPECT_LE(end, length);
        }
    }
}

// The decoder accepts the canonical form only, so whatever a damaged input
// decodes to re-encodes to the bytes that were read.
TEST(EntryTest, DamagedInputsDecodeCanonicallyOrFail) {
    for (const std::string& good : {kNested, kResume}) {
        for (std::size_t at = 0; at < good.size(); ++at) {
            SCOPED_TRACE(at);
            std::string removed = good;
            removed.erase(at, 1);
            EXPECT_TRUE(FailsOrDecodesCanonically(removed));
            for (const char byte : {'0', '9', 'e', 'i', 'l', 'd', ':', '-', '\0', '\xff'}) {
                std::string replaced = good;
                replaced[at] = byte;
                EXPECT_TRUE(FailsOrDecodesCanonically(replaced)) << "byte " << int(byte);
            }
        }
    }
}

TEST(EntryTest, LimitsTheNestingDepth) {
    auto nested = [](std::size_t depth) { return std::string(depth, 'l') + std::string(depth, 'e'); };
    boost::system::error_code ec;
    bdecode(nested(100), ec);
    EXPECT_FALSE(ec) << ec.message();
    bdecode(nested(101), ec);
    EXPECT_EQ(ec, make_error_code(bdecode_error::depth_exceeded));
    // Far deeper than any stack would survive if every level recursed.
    bdecode(std::string(1000000, 'l'), ec);
    EXPECT_EQ(ec, make_error_code(bdecode_error::depth_exceeded));
    bdecode("d1:ad1:bleee", ec, bdecode_limits{2, 100});
    EXPECT_EQ(ec, make_error_code(bdecode_error::depth_exceeded));
}

TEST(EntryTest, LimitsTheNumberOfValues) {
    boost::system::error_code ec;
    const bdecode_limits four{100, 4};
    bdecode("li1ei2ei3ee", ec, four);
    EXPECT_FALSE(ec) << ec.message();
    bdecode("li1ei2ei3ei4ee", ec, four);
    EXPECT_EQ(ec, make_error_code(bdecode_error::too_many_values));
    // Keys cost memory as values do.
    bdecode("d1:ai1e1:bi2ee", ec, four);
    EXPECT_EQ(ec, make_error_code(bdecode_error::too_many_values));
    // Two bytes per empty list would otherwise cost many times their size in memory.
    std::string lists = "l";
    for (int i = 0; i < 200000; ++i) lists += "le";
    lists += "e";
    bdecode(lists, ec);
    EXPECT_EQ(ec, make_error_code(bdecode_error::too_many_values));
}

TEST(EntryTest, MissingKeysGiveEmptyValues) {
    const entry value(entry::dictionary_type{{"n", 7}, {"s", "text"}});
    boost::system::error_code ec;
    EXPECT_EQ(value.integer_at("n", ec), 7);
    EXPECT_EQ(value.string_at("s", ec), "text");
    EXPECT_EQ(value.integer_at("missing", ec), 0);
    EXPECT_EQ(value.string_at("missing", ec), "");
    EXPECT_EQ(value.find_key("missing"), nullptr);
    EXPECT_FALSE(ec) << ec.message();
}

TEST(EntryTest, WrongTypesGiveTheEntryTypeError) {
    const entry value(entry::dictionary_type{{"n", 7}, {"s", "text"}, {"l", entry::list_type{}}});
    const boost::system::error_code type_error = make_error_code(http_error::invalid_entry_type);
    EXPECT_EQ(type_error.value(), 10);
    EXPECT_STREQ(type_error.category().name(), "HTTP");
    EXPECT_EQ(type_error.message(), "invalid type requested from entry");

    struct Lookup {
        const char* name;
        bool (*wrong)(const entry&, error_code&);
    };
    const Lookup lookups[] = {
        {"integer of a string", [](const entry& e, error_code& ec) { return e.integer_at("s", ec) == 0; }},
        {"integer of a list", [](const entry& e, error_code& ec) { return e.integer_at("l", ec) == 0; }},
        {"string of an integer", [](const entry& e, error_code& ec) { return e.string_at("n", ec).empty(); }},
        {"key of an integer", [](const entry& e, error_code& ec) { return e.find_key("n")->integer_at("n", ec) == 0; }},
        {"list of a string", [](const entry& e, error_code& ec) { return e.find_key("s")->list(ec).empty(); }},
        {"dictionary of a list", [](const entry& e, error_code& ec) { return e.find_key("l")->dict(ec).empty(); }},
        {"string of nothing", [](const entry&, error_code& ec) { return entry().string(ec).empty(); }},
    };
    for (const auto& lookup : lookups) {
        SCOPED_TRACE(lookup.name);
        boost::system::error_code ec;
        EXPECT_TRUE(lookup.wrong(value, ec));
        EXPECT_EQ(ec, type_error);
    }
}

// Several lookups are checked once, so a later good lookup must not hide an
// earlier type error.
TEST(EntryTest, LookupsKeepAnEarlierError) {
    const entry value(entry::dictionary_type{{"n", 7}, {"s", "text"}});
    boost::system::error_code ec;
    value.integer_at("s", ec);
    EXPECT_EQ(value.integer_at("n", ec), 7);
    EXPECT_EQ(ec, make_error_code(http_error::invalid_entry_type));
}

}  // namespace
}  // namespace dlengine
