// A small xorshift32 random generator: the same numbers on every platform and standard library.
#pragma once
#include <cstdint>

struct XorShift32 {
    uint32_t state;  // never 0: a zero state stays 0

    // Advances the state and returns it.
    uint32_t next() {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    }
};
