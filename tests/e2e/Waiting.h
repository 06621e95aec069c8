#pragma once

#include <chrono>
#include <thread>

// Polls `done` every 50 ms until it holds or `limit` has passed; the tests
// wait for what they expect to see instead of sleeping for a fixed time.
template <typename Predicate> bool waitUntil(Predicate done, std::chrono::milliseconds limit)
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (true) {
        if (done())
            return true;
        if (std::chrono::steady_clock::now() >= end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}
