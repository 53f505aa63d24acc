#pragma once

#include "formats/FormatError.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string_view>

// What the fuzz programs share. A refusal (CFormatError) is the usual end of a run; any other
// exception escapes to libFuzzer, which reports it like a crash.

inline std::string_view Text(const uint8_t* data, size_t size)
{
    return {reinterpret_cast<const char*>(data), size};
}

// What parse returns, or nothing when it refuses the input.
template <class Parse>
auto Parsed(Parse parse) -> std::optional<decltype(parse())>
{
    try {
        return parse();
    } catch (const CFormatError&) {
        return std::nullopt;
    }
}

// A file the writer wrote must read back as what was written; a refusal of it escapes too.
inline void ExpectReadBack(bool same, const char* what)
{
    if (!same) {
        std::fprintf(stderr, "%s does not read back as it was written\n", what);
        std::abort();
    }
}
