#include "Fuzz.h"
#include "formats/LocationsFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const auto f = Parsed([&] { return CLocationsFile::Parse(Text(data, size), "fuzz"); });
    if (f) {
        const std::string written = f->Format();
        ExpectReadBack(CLocationsFile::Parse(written, "written").Format() == written, "the locations file");
    }
    return 0;
}
