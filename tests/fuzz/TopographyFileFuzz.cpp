#include "Fuzz.h"
#include "formats/TopographyFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const auto f = Parsed([&] { return CTopographyFile::Parse(Text(data, size), "fuzz"); });
    if (f) {
        const CTopographyFile back = CTopographyFile::Parse(f->Format(), "written");
        ExpectReadBack(back.x == f->x && back.elevation == f->elevation, "the topography file");
    }
    return 0;
}
