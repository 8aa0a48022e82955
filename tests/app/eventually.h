// Waiting in tests for what other threads do, up to a generous bound.
#pragma once

#include <chrono>
#include <thread>

namespace webtest {

// Waits up to a generous bound for `done`; answers whether it came.
template <class Done>
bool Eventually(Done done) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!done() && std::chrono::steady_clock::now() < end) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return done();
}

}  // namespace webtest
