#pragma once
// A bencoded value: an integer, a byte string, a list or a dictionary whose
// keys are byte strings kept in ascending byte order. The resume file of a
// download is one such dictionary.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

#include <boost/system/error_code.hpp>

namespace dlengine {

class entry {
public:
    using integer_type = std::int64_t;
    using string_type = std::string;
    using list_type = std::vector<entry>;
    // std::string compares as unsigned bytes, so iteration is in byte order.
    using dictionary_type = std::map<std::string, entry, std::less<>>;

    enum class data_type { undefined, integer, string, list, dictionary };

    // An undefined value: what a failed decode returns. It encodes to nothing
    // and is left out of lists and dictionaries, so an encoding always decodes.
    entry() = default;
    // Any integer type but bool, so that entry(0) is not mistaken for a null string.
    template <class Integer,
              std::enable_if_t<std::is_integral_v<Integer> && !std::is_same_v<Integer, bool>, int> = 0>
    entry(Integer value) : value_(static_cast<integer_type>(value)) {}
    entry(string_type value) : value_(std::move(value)) {}
    entry(const char* value) : value_(string_type(value)) {}
    entry(list_type value) : value_(std::move(value)) {}
    entry(dictionary_type value) : value_(std::move(value)) {}

    data_type type() const { return static_cast<data_type>(value_.index()); }

    // The value as the type asked for. Another type sets `ec` to the "HTTP"
    // error invalid_entry_type (10) and gives an empty value of that type.
    // These accessors set `ec` but never clear it, so a row of lookups can be
    // checked once at the end.
    integer_type integer(boost::system::error_code& ec) const;
    const string_type& string(boost::system::error_code& ec) const;
    const list_type& list(boost::system::error_code& ec) const;
    const dictionary_type& dict(boost::system::error_code& ec) const;

    // The member under `key`; null when it is missing or this is no dictionary.
    const entry* find_key(std::string_view key) const;

    // Lookups in a dictionary: a missing key gives the empty value (0, ""),
    // a member of another type, or this not being a dictionary, gives
    // invalid_entry_type as above.
    integer_type integer_at(std::string_view key, boost::system::error_code& ec) const;
    const string_type& string_at(std::string_view key, boost::system::error_code& ec) const;

    friend bool operator==(const entry& a, const entry& b) { return a.value_ == b.value_; }
    friend bool operator!=(const entry& a, const entry& b) { return !(a == b); }

private:
    // The alternatives are in the order of data_type.
    std::variant<std::monostate, integer_type, string_type, list_type, dictionary_type> value_;
};

// The bencoding: "i<decimal>e", "<length>:<bytes>", "l<values>e",
// "d<key><value>...e" with keys in ascending byte order.
std::string bencode(const entry& value);

// Faults of bencoded input.
enum class bdecode_error : int {
    unexpected_end = 1,  // the input stops inside a value
    expected_value,      // a byte that starts no value
    expected_colon,      // a string length not followed by ':'
    invalid_integer,     // no digits, a leading zero, "-0", or a stray byte before 'e'
    integer_overflow,    // an integer or string length beyond 64 bits
    key_not_string,      // a dictionary key that is not a string
    unsorted_keys,       // dictionary keys not strictly ascending (includes duplicates)
    depth_exceeded,      // lists and dictionaries nested deeper than the limit
    too_many_values,     // more values than the limit
};

const boost::system::error_category& bdecode_category();
boost::system::error_code make_error_code(bdecode_error e);

// Bounds that keep hostile input from exhausting the stack or memory. A
// string can never be longer than the input, so the bytes themselves bound it.
struct bdecode_limits {
    int max_depth = 100;              // nesting of lists and dictionaries
    std::size_t max_values = 100000;  // values of every kind, containers included
};

// Decodes the value at the start of `bytes`; what follows it is not read (a
// resume file rewritten in place may keep older bytes after its end). Only
// the canonical form is accepted, so re-encoding gives back the same bytes.
// On failure `ec` tells why and the result is undefined.
entry bdecode(std::string_view bytes, boost::system::error_code& ec, const bdecode_limits& limits = {});

// As above; `end` is the offset just past the value, or where decoding failed.
entry bdecode(std::string_view bytes, std::size_t& end, boost::system::error_code& ec,
              const bdecode_limits& limits = {});

}  // namespace dlengine

namespace boost {
namespace system {
template <>
struct is_error_code_enum<dlengine::bdecode_error> : std::true_type {};
}  // namespace system
}  // namespace boost
