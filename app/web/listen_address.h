// The address `serve` listens on as a person and a browser see it: whether only this
// machine can reach it, and how it is written in a URL and a Host header.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zg::web {

// Whether `address` (an IP address in text) is one only this machine reaches:
// 127.0.0.0/8, ::1, or an IPv4 loopback address mapped into IPv6 (::ffff:127.x.y.z).
// False for anything that is not an IP address.
bool IsLoopbackAddress(std::string_view address);

// `address` as the host part of a URL: an IPv6 address in brackets, its zone's "%"
// written "%25"; any other text as it is.
std::string UrlHost(std::string_view address);

// The address a browser opens: http://HOST:PORT/?token=TOKEN.
std::string ServerUrl(std::string_view address, uint16_t port, std::string_view token);

}  // namespace zg::web
