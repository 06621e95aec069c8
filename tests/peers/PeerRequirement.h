#pragma once

#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>

// In CI every peer must be there; on a developer's machine a missing peer
// (no root, no snmpd, ...) skips the test with the reason.
inline bool runningInCI()
{
    const char* ci = std::getenv("CI");
    return ci && std::strcmp(ci, "true") == 0;
}

#define REQUIRE_PEER(condition, why)                                                               \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            if (runningInCI())                                                                     \
                FAIL() << "peer missing: " << why;                                                 \
            else                                                                                   \
                GTEST_SKIP() << "peer missing: " << why;                                           \
        }                                                                                          \
    } while (0)
