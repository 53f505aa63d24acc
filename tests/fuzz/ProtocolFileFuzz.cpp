#include "Fuzz.h"
#include "formats/ProtocolFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ExpectTakenFileReadsBack<CProtocolFile>(Text(data, size), "the protocol file");
    return 0;
}
