#include "Fuzz.h"
#include "formats/ValuesFile.h"

// The writer writes only to a file, so nothing is read back; At() counts on a value per cell.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const auto f = Parsed([&] { return CValuesFile::Parse(Text(data, size), "fuzz"); });
    if (f && f->values.size() != static_cast<size_t>(f->nx) * static_cast<size_t>(f->nz))
        std::abort();
    return 0;
}
