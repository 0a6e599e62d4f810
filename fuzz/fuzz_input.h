#pragma once
// What every fuzz target shares: the bytes libFuzzer hands over as a span,
// and the errors a reader may throw for bad input (anything else, a crash or
// a sanitizer report, is a find).
#include <cstddef>
#include <cstdint>
#include <span>

#define MUGWARP_FUZZ_TARGET(bytes)                                                      \
    static void fuzzOne(std::span<const std::uint8_t> bytes);                           \
    extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) { \
        fuzzOne({data, size});                                                          \
        return 0;                                                                       \
    }                                                                                   \
    static void fuzzOne(std::span<const std::uint8_t> bytes)
