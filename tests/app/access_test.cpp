// Who the interactive host lets in: the token, the server's own name and the origin.
#include <gtest/gtest.h>

#include <string>

#include "app/web/access.h"

namespace webtest {
namespace {

using zg::web::AccessPolicy;
using zg::web::RequestFacts;
using zg::web::Verdict;

TEST(AccessTest, RequestsNeedTheTokenTheServersOwnNameAndOrigin) {
    AccessPolicy policy;
    policy.port = 8765;
    policy.token = "secret";
    const std::string cookie = zg::web::CookieName(8765) + "=secret";
    const std::string cookies = "a=b; " + cookie;
    struct Case {
        const char* what;
        RequestFacts request;
        Verdict verdict;
    };
    const Case cases[] = {
        {"nothing", {"GET", "/", "127.0.0.1:8765", "", "", "", false}, Verdict::kUnauthorized},
        {"cookie", {"GET", "/app.js", "localhost:8765", "", cookie, "", false}, Verdict::kAllow},
        {"other cookie first", {"GET", "/", "127.0.0.1:8765", "", cookies, "", false}, Verdict::kAllow},
        {"token in the address", {"GET", "/?token=secret", "127.0.0.1:8765", "", "", "", false},
         Verdict::kAllowAndKeepToken},
        {"longer token", {"GET", "/?token=secretX", "127.0.0.1:8765", "", "", "", false}, Verdict::kUnauthorized},
        {"bearer", {"GET", "/", "[::1]:8765", "", "", "Bearer secret", false}, Verdict::kAllow},
        {"cookie of another port", {"GET", "/", "127.0.0.1:8765", "", "zentrograph_9=secret", "", false},
         Verdict::kUnauthorized},
        {"foreign host", {"GET", "/", "evil.example:8765", "", cookie, "", false}, Verdict::kForbidden},
        {"other port", {"GET", "/", "127.0.0.1:80", "", cookie, "", false}, Verdict::kForbidden},
        {"no host", {"GET", "/", "", "", cookie, "", false}, Verdict::kForbidden},
        {"socket of the page", {"GET", "/ws", "127.0.0.1:8765", "http://127.0.0.1:8765", cookie, "", true},
         Verdict::kAllow},
        {"socket without origin", {"GET", "/ws", "127.0.0.1:8765", "", cookie, "", true}, Verdict::kForbidden},
        {"socket from elsewhere", {"GET", "/ws", "127.0.0.1:8765", "http://evil.example", cookie, "", true},
         Verdict::kForbidden},
        {"post from elsewhere", {"POST", "/", "127.0.0.1:8765", "https://127.0.0.1:8765", cookie, "", false},
         Verdict::kForbidden},
    };
    for (const Case& c : cases) EXPECT_EQ(policy.Judge(c.request), c.verdict) << c.what;

    const auto a = zg::web::MakeAccessToken();
    const auto b = zg::web::MakeAccessToken();
    ASSERT_TRUE(a && b);
    EXPECT_EQ(a->size(), 64u);
    EXPECT_EQ(a->find_first_not_of("0123456789abcdef"), std::string::npos);
    EXPECT_NE(*a, *b);
}

}  // namespace
}  // namespace webtest
