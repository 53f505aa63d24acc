#include "Fuzz.h"
#include "formats/DataFile.h"

// The first byte picks the kind: odd for IP data (the seeds start with 'i'), even for DC ('d').
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const bool ip = data[0] & 1;
    const auto f = Parsed([&] { return CDataFile::Parse(Text(data + 1, size - 1), "fuzz", ip); });
    // The values keep six digits, which read back as themselves.
    if (f) {
        const std::string written = f->Format();
        ExpectReadBack(CDataFile::Parse(written, "written", ip).Format() == written, "the data file");
    }
    return 0;
}
