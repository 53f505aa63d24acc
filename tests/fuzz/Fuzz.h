#pragma once

#include "formats/FormatError.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
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

// Parses the text as a File; one it takes must read back as itself once its writer wrote it.
template <class File>
void ExpectTakenFileReadsBack(std::string_view text, const char* what)
{
    if (const auto f = Parsed([&] { return File::Parse(text, "fuzz"); })) {
        const std::string written = f->Format();
        ExpectReadBack(File::Parse(written, "written").Format() == written, what);
    }
}
