#include "Fuzz.h"
#include "formats/DoiFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ExpectTakenFileReadsBack<CDoiFile>(Text(data, size), "the depth of investigation file");
    return 0;
}
