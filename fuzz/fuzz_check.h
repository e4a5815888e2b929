#pragma once

#include <cstdio>
#include <cstdlib>

// A property that must hold for every input; the fuzzer keeps the input that breaks it.
#define FUZZ_CHECK(condition)                                                   \
  do {                                                                          \
    if (!(condition)) {                                                         \
      std::fprintf(stderr, "%s:%d: %s does not hold\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                             \
    }                                                                           \
  } while (false)
