#pragma once

// One fuzz target per file. Under libFuzzer (FUZZ_LIBFUZZER) a target is the
// program's LLVMFuzzerTestOneInput; in the ordinary build all targets link
// into one replay program that feeds them the kept corpus, so every input
// that once crashed stays a test without clang.

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#ifdef FUZZ_LIBFUZZER
#define FUZZ_TARGET(name) extern "C" int LLVMFuzzerTestOneInput
#else
using FuzzFunction = int (*)(const uint8_t*, size_t);
struct FuzzRegistration
{
    FuzzRegistration(const char* name, FuzzFunction function);
};
#define FUZZ_TARGET(name)                                                   \
    static int fuzz_##name(const uint8_t*, size_t);                         \
    static const FuzzRegistration fuzz_registration_##name(#name, fuzz_##name); \
    static int fuzz_##name
#endif

// A broken invariant: stops the run the way a sanitizer does, so libFuzzer
// keeps the input and the replay fails.
#define FUZZ_CHECK(condition)                                                        \
    do {                                                                             \
        if (!(condition)) {                                                          \
            fprintf(stderr, "fuzz check failed: %s (%s:%d)\n", #condition, __FILE__, __LINE__); \
            abort();                                                                 \
        }                                                                            \
    } while (0)
