#include "Fuzz.h"
#include "formats/DataFile.h"

// The first byte picks the kind: odd for IP data (the seeds start with 'i'), even for DC ('d');
// with its second bit (the seeds start with 'b' or 'g'), the estimate of the data's error.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const EModelKind kind = data[0] & 1 ? EModelKind::ip : EModelKind::dc;
    const bool error = data[0] & 2;
    const std::string_view text = Text(data + 1, size - 1);
    // The values keep six digits (three in the estimate), which read back as themselves.
    if (error) {
        if (const auto f = Parsed([&] { return CErrorFile::Parse(text, "fuzz", kind); })) {
            const std::string written = f->Format();
            ExpectReadBack(CErrorFile::Parse(written, "written", kind).Format() == written, "the error file");
        }
    } else if (const auto f = Parsed([&] { return CDataFile::Parse(text, "fuzz", kind); })) {
        const std::string written = f->Format();
        ExpectReadBack(CDataFile::Parse(written, "written", kind).Format() == written, "the data file");
    }
    return 0;
}
