#include "Fuzz.h"
#include "formats/ForwardInputFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const auto f = Parsed([&] { return CForwardInputFile::Parse(Text(data, size), "fuzz", {}); });
    // Write refuses a name with a line break in it; every other name reads back.
    if (f && CForwardInputFile::CanHold(f->meshFile) && CForwardInputFile::CanHold(f->locationsFile) &&
        CForwardInputFile::CanHold(f->conductivityFile) && CForwardInputFile::CanHold(f->chargeabilityFile) &&
        CForwardInputFile::CanHold(f->topographyFile)) {
        const std::string written = f->Format();
        ExpectReadBack(CForwardInputFile::Parse(written, "written", {}).Format() == written, "the input file");
    }
    return 0;
}
