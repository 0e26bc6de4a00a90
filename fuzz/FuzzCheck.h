#pragma once

#include <cstdio>
#include <cstdlib>

// A broken invariant is a finding like a crash: report where and stop, so
// that libFuzzer keeps the input as a reproducer.
#define FUZZ_CHECK(condition)                                                                     \
    do {                                                                                          \
        if (!(condition)) {                                                                       \
            std::fprintf(stderr, "%s:%d: invariant broken: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                         \
        }                                                                                         \
    } while (false)
