#include "Fuzz.h"
#include "formats/LocationsFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ExpectTakenFileReadsBack<CLocationsFile>(Text(data, size), "the locations file");
    return 0;
}
