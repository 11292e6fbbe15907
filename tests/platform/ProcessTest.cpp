#include "platform/Platform.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {
// Set while the test program starts, after its libraries are loaded and before main.
const auto initialised = std::chrono::steady_clock::now();

double sinceInitialised() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - initialised).count();
}
} // namespace

// The time limit of `kubb block` counts from here: never less than the program has run, and not
// the machine's time since boot either.
TEST(Platform, SecondsSinceStartCountFromTheProcessesStart) {
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    const double before = sinceInitialised();
    const double since = platform::secondsSinceStart();
    EXPECT_GE(since, before);
    EXPECT_LT(since, sinceInitialised() + 5);
}
