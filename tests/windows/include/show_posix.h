// The few POSIX calls the tests and benchmarks use, for their Windows build (forced in by the
// build).
#pragma once
#include <direct.h>
#include <io.h>
#include <stdlib.h>
#include <string.h>

#include <cstddef>

// Sets an environment variable for this process and the libraries it loads (SDL reads the
// process environment, which _putenv_s also updates).
inline int setenv(const char* name, const char* value, int overwrite) {
    if (!overwrite && getenv(name)) return 0;
    return _putenv_s(name, value) == 0 ? 0 : -1;
}

// Makes a new folder from a template ending in XXXXXX; returns the template or nullptr.
inline char* mkdtemp(char* templ) {
    if (_mktemp_s(templ, strlen(templ) + 1) != 0) return nullptr;
    return _mkdir(templ) == 0 ? templ : nullptr;
}

// Windows' C runtime has no aligned_alloc whose memory free() takes back, and the tests' counting
// allocator frees everything with free(): an allocation aligned beyond malloc's 16 bytes fails
// (and operator new throws) instead. Nothing the tests allocate needs more.
namespace std {
inline void* aligned_alloc(size_t, size_t) {
    return nullptr;
}
}  // namespace std
