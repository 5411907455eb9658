#pragma once

// Whether this build runs under AddressSanitizer, where every allocation and
// thread start costs many times more: the long tests then run shorter, the
// full length being run by the plain build.
#if defined(__SANITIZE_ADDRESS__)
#define ZERVA_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ZERVA_ASAN 1
#endif
#endif

namespace zerva::test {

#ifdef ZERVA_ASAN
inline constexpr bool kSanitized = true;
#else
inline constexpr bool kSanitized = false;
#endif

// `n` in the plain build, an eighth of it under the sanitizers.
constexpr int Scaled(int n)
{
    return kSanitized ? n / 8 : n;
}

} // namespace zerva::test
