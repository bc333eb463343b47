#pragma once

#include <cstdio>
#include <cstdlib>

// A broken invariant ends the run at once, so the fuzzer keeps the input that broke it.
#define TWK_FUZZ_CHECK(condition)                                                        \
  do {                                                                                   \
    if (!(condition)) {                                                                  \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                      \
    }                                                                                    \
  } while (false)
