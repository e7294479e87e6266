#pragma once

#include <cstdio>
#include <cstdlib>

// A broken promise of the code under test: say which and stop, so that the
// fuzzer keeps the input and the corpus replay fails.
#define FUZZ_CHECK(condition)                                                                                          \
    do {                                                                                                               \
        if (!(condition)) {                                                                                            \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition);                         \
            std::abort();                                                                                              \
        }                                                                                                              \
    } while (false)
