// The fuzz targets' property check: a broken property prints the file and line of its check
// and aborts, so that the fuzzer keeps the input as a crash.
#pragma once

#include <cstdio>
#include <cstdlib>

namespace tarvo::fuzz {

[[noreturn]] inline void failed(const char* file, int line) {
    std::fprintf(stderr, "%s:%d: a property does not hold\n", file, line);
    std::abort();
}

}  // namespace tarvo::fuzz

#define check(condition) ((condition) ? void() : ::tarvo::fuzz::failed(__FILE__, __LINE__))
