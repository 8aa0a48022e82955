// Who may talk to the interactive host's server. The server listens on the loopback
// interface and hands its address out with a random per-run token; every request must
// carry the token (in the address, a cookie or an Authorization header), name the
// server itself in its Host header (so a page of another site cannot reach it through
// a name that resolves to this machine), and, when it is a WebSocket or changes
// anything, come from the server's own origin.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zg::web {

// A new token of 256 random bits from the kernel, as 64 hexadecimal digits; none when
// the kernel has no randomness to give.
std::optional<std::string> MakeAccessToken();

// Equal texts, compared in time that depends on their lengths only, never on where
// they differ.
bool ConstantTimeEquals(std::string_view a, std::string_view b);

// The cookie that keeps the token in the browser after the first visit; named after
// the port, because browsers share cookies between the ports of one host.
std::string CookieName(uint16_t port);

// What a request says about itself, as the server read it.
struct RequestFacts {
    std::string_view method;         // "GET", "POST", ...
    std::string_view target;         // "/app.js?x=1"
    std::string_view host;           // the Host header, "" when absent
    std::string_view origin;         // the Origin header, "" when absent
    std::string_view cookie;         // the Cookie header, "" when absent
    std::string_view authorization;  // the Authorization header, "" when absent
    bool websocket = false;          // a WebSocket upgrade
};

enum class Verdict {
    kAllow,
    kAllowAndKeepToken,  // allowed by the token in the address: answer with a redirect
                         // to the same path without it, setting the cookie
    kUnauthorized,       // 401: no token, or a wrong one
    kForbidden,          // 403: another host name, or a foreign origin
};

struct AccessPolicy {
    uint16_t port = 0;
    std::string token;
    // Host names besides the loopback ones that the server answers to (the address it
    // was told to listen on).
    std::string extraHost;

    Verdict Judge(const RequestFacts& request) const;
    // The path of `target` without its query.
    static std::string_view PathOf(std::string_view target);
    // The value of `name` in a query string or a Cookie header; none when absent.
    static std::optional<std::string_view> QueryValue(std::string_view target, std::string_view name);
    static std::optional<std::string_view> CookieValue(std::string_view cookie, std::string_view name);

private:
    bool HostAllowed(std::string_view host) const;
    bool OriginAllowed(std::string_view origin) const;
};

}  // namespace zg::web
