#include "Fuzz.h"
#include "formats/ModelFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const auto f = Parsed([&] { return CModelFile::Parse(Text(data, size), "fuzz"); });
    if (f) {
        const std::string written = f->Format();
        ExpectReadBack(CModelFile::Parse(written, "written").Format() == written, "the model file");
    }
    return 0;
}
