#include "Fuzz.h"
#include "formats/ModelFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ExpectTakenFileReadsBack<CModelFile>(Text(data, size), "the model file");
    return 0;
}
