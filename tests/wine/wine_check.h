#pragma once

// The few checking helpers of the console tests of the Windows pieces
// (plain C++, no test framework): a failed check prints its line and is
// counted; main() exits 0 only when none failed.

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>

namespace zerva::test {

inline int g_checks = 0;
inline int g_failures = 0;

inline void check(bool ok, const std::string& what, int line)
{
    ++g_checks;
    if (!ok) {
        ++g_failures;
        std::printf("FAIL line %d: %s\n", line, what.c_str());
    }
}

// One group of checks, with its outcome and time.
inline void run(const char* name, const std::function<void()>& test)
{
    const int before = g_failures;
    const auto t0 = std::chrono::steady_clock::now();
    test();
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0);
    std::printf("%s %s (%lld ms)\n", g_failures == before ? "PASS" : "FAIL", name,
                static_cast<long long>(ms.count()));
    std::fflush(stdout);
}

} // namespace zerva::test

#define CHECK(cond) ::zerva::test::check((cond), #cond, __LINE__)
#define CHECK_ROW(cond, row) ::zerva::test::check((cond), std::string(row) + ": " #cond, __LINE__)
