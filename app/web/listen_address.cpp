#include "app/web/listen_address.h"

#include <fmt/format.h>

#include <boost/asio/ip/address.hpp>

namespace zg::web {

bool IsLoopbackAddress(std::string_view address) {
    boost::system::error_code ec;
    const boost::asio::ip::address ip = boost::asio::ip::make_address(std::string(address), ec);
    if (ec) return false;
    if (ip.is_v4()) return ip.to_v4().is_loopback();
    const boost::asio::ip::address_v6 v6 = ip.to_v6();
    if (v6.is_v4_mapped()) return boost::asio::ip::make_address_v4(boost::asio::ip::v4_mapped, v6).is_loopback();
    return v6.is_loopback();
}

std::string UrlHost(std::string_view address) {
    if (address.find(':') == std::string_view::npos) return std::string(address);
    std::string host = "[";
    for (const char c : address) host += c == '%' ? std::string("%25") : std::string(1, c);
    return host + "]";
}

std::string ServerUrl(std::string_view address, uint16_t port, std::string_view token) {
    return fmt::format("http://{}:{}/?token={}", UrlHost(address), port, token);
}

}  // namespace zg::web
