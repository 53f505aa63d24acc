#include "Fuzz.h"
#include "formats/ProtocolFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const auto f = Parsed([&] { return CProtocolFile::Parse(Text(data, size), "fuzz"); });
    if (f) {
        const std::string written = f->Format();
        ExpectReadBack(CProtocolFile::Parse(written, "written").Format() == written, "the protocol file");
    }
    return 0;
}
