#include "app/web/access.h"

#include <fmt/format.h>
#include <sys/random.h>

#include <array>
#include <cerrno>
#include <cstddef>

namespace zg::web {

namespace {

constexpr std::size_t kTokenBytes = 32;
constexpr std::string_view kTokenParam = "token";
constexpr std::string_view kBearer = "Bearer ";
// The loopback names the server answers to besides the address it listens on.
constexpr std::string_view kLoopbackNames[] = {"127.0.0.1", "localhost", "[::1]"};

bool IsSafeMethod(std::string_view method) { return method == "GET" || method == "HEAD"; }

}  // namespace

std::optional<std::string> MakeAccessToken() {
    std::array<unsigned char, kTokenBytes> bytes{};
    std::size_t filled = 0;
    while (filled < bytes.size()) {
        const ssize_t got = getrandom(bytes.data() + filled, bytes.size() - filled, 0);
        if (got < 0) {
            if (errno == EINTR) continue;
            return std::nullopt;
        }
        filled += static_cast<std::size_t>(got);
    }
    std::string token;
    for (unsigned char b : bytes) token += fmt::format("{:02x}", b);
    return token;
}

bool ConstantTimeEquals(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    unsigned char diff = 0;
    for (std::size_t i = 0; i < a.size(); ++i) diff |= static_cast<unsigned char>(a[i] ^ b[i]);
    return diff == 0;
}

std::string CookieName(uint16_t port) { return fmt::format("zentrograph_{}", port); }

std::string_view AccessPolicy::PathOf(std::string_view target) { return target.substr(0, target.find('?')); }

std::optional<std::string_view> AccessPolicy::QueryValue(std::string_view target, std::string_view name) {
    const std::size_t q = target.find('?');
    if (q == std::string_view::npos) return std::nullopt;
    std::string_view rest = target.substr(q + 1);
    while (!rest.empty()) {
        const std::size_t amp = rest.find('&');
        const std::string_view pair = rest.substr(0, amp);
        const std::size_t eq = pair.find('=');
        if (pair.substr(0, eq) == name) return eq == std::string_view::npos ? std::string_view() : pair.substr(eq + 1);
        if (amp == std::string_view::npos) break;
        rest = rest.substr(amp + 1);
    }
    return std::nullopt;
}

std::optional<std::string_view> AccessPolicy::CookieValue(std::string_view cookie, std::string_view name) {
    while (!cookie.empty()) {
        const std::size_t semi = cookie.find(';');
        std::string_view pair = cookie.substr(0, semi);
        while (!pair.empty() && pair.front() == ' ') pair.remove_prefix(1);
        const std::size_t eq = pair.find('=');
        if (eq != std::string_view::npos && pair.substr(0, eq) == name) return pair.substr(eq + 1);
        if (semi == std::string_view::npos) break;
        cookie = cookie.substr(semi + 1);
    }
    return std::nullopt;
}

bool AccessPolicy::HostAllowed(std::string_view host) const {
    const std::string suffix = fmt::format(":{}", port);
    if (host.size() <= suffix.size() || host.substr(host.size() - suffix.size()) != suffix) return false;
    const std::string_view name = host.substr(0, host.size() - suffix.size());
    for (std::string_view allowed : kLoopbackNames)
        if (name == allowed) return true;
    return !extraHost.empty() && name == extraHost;
}

bool AccessPolicy::OriginAllowed(std::string_view origin) const {
    constexpr std::string_view kScheme = "http://";
    if (origin.substr(0, kScheme.size()) != kScheme) return false;
    return HostAllowed(origin.substr(kScheme.size()));
}

Verdict AccessPolicy::Judge(const RequestFacts& request) const {
    if (!HostAllowed(request.host)) return Verdict::kForbidden;
    if ((request.websocket || !IsSafeMethod(request.method)) && !OriginAllowed(request.origin))
        return Verdict::kForbidden;
    const std::string cookieName = CookieName(port);
    if (const auto cookie = CookieValue(request.cookie, cookieName); cookie && ConstantTimeEquals(*cookie, token))
        return Verdict::kAllow;
    if (request.authorization.substr(0, kBearer.size()) == kBearer &&
        ConstantTimeEquals(request.authorization.substr(kBearer.size()), token))
        return Verdict::kAllow;
    if (const auto query = QueryValue(request.target, kTokenParam); query && ConstantTimeEquals(*query, token))
        return request.websocket || !IsSafeMethod(request.method) ? Verdict::kAllow : Verdict::kAllowAndKeepToken;
    return Verdict::kUnauthorized;
}

}  // namespace zg::web
