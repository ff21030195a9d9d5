#include "download_engine/entry.h"

#include <limits>

#include "download_engine/http_error.h"

namespace dlengine {

namespace {

template <class T, class Variant>
const T& typed_value(const Variant& value, boost::system::error_code& ec) {
    if (const T* found = std::get_if<T>(&value)) return *found;
    ec = make_error_code(http_error::invalid_entry_type);
    static const T empty{};
    return empty;
}

class bdecode_category_impl : public boost::system::error_category {
public:
    const char* name() const noexcept override { return "bdecode"; }

    std::string message(int code) const override {
        switch (static_cast<bdecode_error>(code)) {
        case bdecode_error::unexpected_end: return "unexpected end of bencoded input";
        case bdecode_error::expected_value: return "expected a bencoded value";
        case bdecode_error::expected_colon: return "expected ':' after a string length";
        case bdecode_error::invalid_integer: return "invalid bencoded integer";
        case bdecode_error::integer_overflow: return "bencoded integer out of range";
        case bdecode_error::key_not_string: return "dictionary key is not a string";
        case bdecode_error::unsorted_keys: return "dictionary keys not in ascending order";
        case bdecode_error::depth_exceeded: return "bencoded values nested too deeply";
        case bdecode_error::too_many_values: return "too many bencoded values";
        }
        return "unknown bdecode error";
    }
};

void encode(const entry& value, std::string& out) {
    boost::system::error_code ignored;  // the type is checked by the switch
    switch (value.type()) {
    case entry::data_type::undefined:
        break;
    case entry::data_type::integer:
        out += 'i';
        out += std::to_string(static_cast<long long>(value.integer(ignored)));
        out += 'e';
        break;
    case entry::data_type::string: {
        const std::string& bytes = value.string(ignored);
        out += std::to_string(bytes.size());
        out += ':';
        out += bytes;
        break;
    }
    case entry::data_type::list:
        out += 'l';
        for (const entry& item : value.list(ignored)) encode(item, out);
        out += 'e';
        break;
    case entry::data_type::dictionary:
        out += 'd';
        for (const auto& [key, member] : value.dict(ignored)) {
            if (member.type() == entry::data_type::undefined) continue;
            encode(entry(key), out);
            encode(member, out);
        }
        out += 'e';
        break;
    }
}

// Recursive descent over the input; the depth limit bounds the recursion.
class decoder {
public:
    decoder(std::string_view bytes, const bdecode_limits& limits) : bytes_(bytes), limits_(limits) {}

    bool decode_value(entry& out, int depth) {
        if (!count_value()) return false;
        if (at_end()) return fail(bdecode_error::unexpected_end);
        const char lead = bytes_[pos_];
        if (lead == 'i') {
            ++pos_;
            std::int64_t number = 0;
            if (!read_decimal('e', true, number)) return false;
            out = entry(number);
            return true;
        }
        if (is_digit(lead)) {
            std::string text;
            if (!read_string(text)) return false;
            out = entry(std::move(text));
            return true;
        }
        if (lead == 'l' || lead == 'd') {
            if (depth >= limits_.max_depth) return fail(bdecode_error::depth_exceeded);
            ++pos_;
            return lead == 'l' ? decode_list(out, depth) : decode_dictionary(out, depth);
        }
        return fail(bdecode_error::expected_value);
    }

    std::size_t position() const { return pos_; }
    bdecode_error error() const { return error_; }

private:
    static bool is_digit(char c) { return c >= '0' && c <= '9'; }
    bool at_end() const { return pos_ >= bytes_.size(); }

    bool fail(bdecode_error error) {
        error_ = error;
        return false;
    }

    bool count_value() {
        if (++values_ > limits_.max_values) return fail(bdecode_error::too_many_values);
        return true;
    }

    // "-?[0-9]+" followed by `terminator`, in canonical form: no leading zero
    // and no "-0".
    bool read_decimal(char terminator, bool allow_sign, std::int64_t& out) {
        bool negative = false;
        if (allow_sign && !at_end() && bytes_[pos_] == '-') {
            negative = true;
            ++pos_;
        }
        const std::uint64_t limit =
            static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()) + (negative ? 1 : 0);
        const std::size_t first_digit = pos_;
        std::uint64_t magnitude = 0;
        while (!at_end() && is_digit(bytes_[pos_])) {
            const unsigned digit = static_cast<unsigned>(bytes_[pos_] - '0');
            if (magnitude > (limit - digit) / 10) return fail(bdecode_error::integer_overflow);
            magnitude = magnitude * 10 + digit;
            ++pos_;
        }
        if (at_end()) return fail(bdecode_error::unexpected_end);
        const std::size_t digits = pos_ - first_digit;
        if (digits == 0 || (digits > 1 && bytes_[first_digit] == '0') || (negative && magnitude == 0)) {
            return fail(bdecode_error::invalid_integer);
        }
        if (bytes_[pos_] != terminator) {
            return fail(terminator == ':' ? bdecode_error::expected_colon : bdecode_error::invalid_integer);
        }
        ++pos_;
        out = negative ? -static_cast<std::int64_t>(magnitude - 1) - 1 : static_cast<std::int64_t>(magnitude);
        return true;
    }

    // The length is checked against the bytes left before anything is allocated.
    bool read_string(std::string& out) {
        std::int64_t length = 0;
        if (!read_decimal(':', false, length)) return false;
        if (static_cast<std::uint64_t>(length) > bytes_.size() - pos_) {
            pos_ = bytes_.size();
            return fail(bdecode_error::unexpected_end);
        }
        out.assign(bytes_.data() + pos_, static_cast<std::size_t>(length));
        pos_ += static_cast<std::size_t>(length);
        return true;
    }

    bool decode_list(entry& out, int depth) {
        entry::list_type items;
        for (;;) {
            if (at_end()) return fail(bdecode_error::unexpected_end);
            if (bytes_[pos_] == 'e') break;
            entry item;
            if (!decode_value(item, depth + 1)) return false;
            items.push_back(std::move(item));
        }
        ++pos_;
        out = entry(std::move(items));
        return true;
    }

    bool decode_dictionary(entry& out, int depth) {
        entry::dictionary_type members;
        for (;;) {
            if (at_end()) return fail(bdecode_error::unexpected_end);
            if (bytes_[pos_] == 'e') break;
            if (!is_digit(bytes_[pos_])) return fail(bdecode_error::key_not_string);
            if (!count_value()) return false;
            std::string key;
            if (!read_string(key)) return false;
            if (!members.empty() && !(members.rbegin()->first < key)) return fail(bdecode_error::unsorted_keys);
            entry member;
            if (!decode_value(member, depth + 1)) return false;
            members.emplace_hint(members.end(), std::move(key), std::move(member));
        }
        ++pos_;
        out = entry(std::move(members));
        return true;
    }

    std::string_view bytes_;
    bdecode_limits limits_;
    std::size_t pos_ = 0;
    std::size_t values_ = 0;
    bdecode_error error_ = bdecode_error::unexpected_end;
};

}  // namespace

entry::integer_type entry::integer(boost::system::error_code& ec) const {
    return typed_value<integer_type>(value_, ec);
}

const entry::string_type& entry::string(boost::system::error_code& ec) const {
    return typed_value<string_type>(value_, ec);
}

const entry::list_type& entry::list(boost::system::error_code& ec) const {
    return typed_value<list_type>(value_, ec);
}

const entry::dictionary_type& entry::dict(boost::system::error_code& ec) const {
    return typed_value<dictionary_type>(value_, ec);
}

const entry* entry::find_key(std::string_view key) const {
    const auto* members = std::get_if<dictionary_type>(&value_);
    if (!members) return nullptr;
    const auto found = members->find(key);
    return found == members->end() ? nullptr : &found->second;
}

entry::integer_type entry::integer_at(std::string_view key, boost::system::error_code& ec) const {
    const dictionary_type& members = dict(ec);
    const auto found = members.find(key);
    return found == members.end() ? 0 : found->second.integer(ec);
}

const entry::string_type& entry::string_at(std::string_view key, boost::system::error_code& ec) const {
    static const string_type empty;
    const dictionary_type& members = dict(ec);
    const auto found = members.find(key);
    return found == members.end() ? empty : found->second.string(ec);
}

std::string bencode(const entry& value) {
    std::string out;
    encode(value, out);
    return out;
}

const boost::system::error_category& bdecode_category() {
    static const bdecode_category_impl category;
    return category;
}

boost::system::error_code make_error_code(bdecode_error e) {
    return boost::system::error_code(static_cast<int>(e), bdecode_category());
}

entry bdecode(std::string_view bytes, boost::system::error_code& ec, const bdecode_limits& limits) {
    std::size_t end = 0;
    return bdecode(bytes, end, ec, limits);
}

entry bdecode(std::string_view bytes, std::size_t& end, boost::system::error_code& ec,
              const bdecode_limits& limits) {
    decoder reader(bytes, limits);
    entry value;
    const bool decoded = reader.decode_value(value, 0);
    end = reader.position();
    if (!decoded) {
        ec = make_error_code(reader.error());
        return entry();
    }
    ec = {};
    return value;
}

}  // namespace dlengine
