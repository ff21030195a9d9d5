#pragma once
// The "HTTP" error category: HTTP statuses reported as errors of the same
// number, and the engine's own protocol faults. Network and file errors keep
// the system, generic and asio categories.

#include <type_traits>

#include <boost/system/error_code.hpp>

namespace dlengine {

enum class http_error : int {
    malformed_status_line = 1,
    malformed_response_headers = 2,
    invalid_entry_type = 10,
    invalid_chunked_encoding = 11,
    invalid_redirect_address = 12,

    continue_status = 100,
    switching_protocols = 101,
    ok = 200,
    created = 201,
    accepted = 202,
    non_authoritative_information = 203,
    no_content = 204,
    reset_content = 205,
    partial_content = 206,
    multiple_choices = 300,
    moved_permanently = 301,
    found = 302,
    see_other = 303,
    not_modified = 304,
    use_proxy = 305,
    temporary_redirect = 307,
    bad_request = 400,
    unauthorized = 401,
    payment_required = 402,
    forbidden = 403,
    not_found = 404,
    method_not_allowed = 405,
    not_acceptable = 406,
    proxy_authentication_required = 407,
    request_timeout = 408,
    conflict = 409,
    gone = 410,
    length_required = 411,
    precondition_failed = 412,
    request_entity_too_large = 413,
    request_uri_too_large = 414,
    unsupported_media_type = 415,
    requested_range_not_satisfiable = 416,
    expectation_failed = 417,
    internal_server_error = 500,
    not_implemented = 501,
    bad_gateway = 502,
    service_unavailable = 503,
    gateway_timeout = 504,
    http_version_not_supported = 505,

    socks_unsupported_version = 1000,
    socks_username_required = 1001,
    socks_unsupported_authentication_version = 1002,
    socks_authentication_error = 1003,
    socks_general_failure = 1004,
    socks_command_not_supported = 1005,
    socks_no_identd = 1006,
    socks_identd_error = 1007,
    fake_continue = 1008,
};

// The category named "HTTP"; a code without a message of its own reads
// "Unknown HTTP error".
const boost::system::error_category& http_category();

boost::system::error_code make_error_code(http_error e);

// An HTTP status as the error of the same number in the "HTTP" category.
boost::system::error_code make_status_error(int status);

}  // namespace dlengine

namespace boost {
namespace system {
template <>
struct is_error_code_enum<dlengine::http_error> : std::true_type {};
}  // namespace system
}  // namespace boost
