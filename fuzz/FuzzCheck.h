#pragma once

#include <cstdio>
#include <cstdlib>

// An invariant of a fuzz target: when it fails the input is a finding, in
// the fuzzer and in the corpus replay alike (both stop on abort).
#define FUZZ_CHECK(condition)                                                              \
    do {                                                                                   \
        if (!(condition)) {                                                                \
            std::fprintf(stderr, "%s:%d: invariant failed: %s\n", __FILE__, __LINE__,      \
                         #condition);                                                      \
            std::abort();                                                                  \
        }                                                                                  \
    } while (false)
