// How serve's listening address is judged and written for a browser.
#include <gtest/gtest.h>

#include "app/web/listen_address.h"

namespace listenaddresstest {
namespace {

TEST(ListenAddressTest, LoopbackAddressesOfBothFamiliesAreKnownAndIPv6IsBracketedInTheUrl) {
    const struct {
        const char* address;
        bool loopback;
        const char* url;
    } cases[] = {
        {"127.0.0.1", true, "http://127.0.0.1:80/?token=t"},
        {"127.3.2.1", true, "http://127.3.2.1:80/?token=t"},
        {"::1", true, "http://[::1]:80/?token=t"},
        {"::ffff:127.0.0.1", true, "http://[::ffff:127.0.0.1]:80/?token=t"},
        {"0:0:0:0:0:0:0:1", true, "http://[0:0:0:0:0:0:0:1]:80/?token=t"},
        {"0.0.0.0", false, "http://0.0.0.0:80/?token=t"},
        {"::", false, "http://[::]:80/?token=t"},
        {"::ffff:10.0.0.1", false, "http://[::ffff:10.0.0.1]:80/?token=t"},
        {"fe80::1%eth0", false, "http://[fe80::1%25eth0]:80/?token=t"},
        {"192.168.1.4", false, "http://192.168.1.4:80/?token=t"},
        {"localhost", false, "http://localhost:80/?token=t"},  // not an address: warned of
    };
    for (const auto& c : cases) {
        EXPECT_EQ(zg::web::IsLoopbackAddress(c.address), c.loopback) << c.address;
        EXPECT_EQ(zg::web::ServerUrl(c.address, 80, "t"), c.url);
    }
}

}  // namespace
}  // namespace listenaddresstest
