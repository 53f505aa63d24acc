#include "Fuzz.h"
#include "formats/ExportFiles.h"

// The readers of the exported files: the first byte picks the reader (and for protocol.dat
// whether it holds IP and error columns); protocol.dat and its electrode file are split at the
// first NUL.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const std::string_view text = Text(data + 1, size - 1);
    CExportOptions options;
    options.errors = data[0] & 4;
    switch (data[0] % 3) {
    case 0:
        Parsed([&] { return CExportSurvey::ParseUnified(text, "fuzz"); });
        break;
    case 1:
        Parsed([&] { return CExportSurvey::ParseRes2dinv(text, "fuzz"); });
        break;
    default: {
        const size_t split = std::min(text.find('\0'), text.size());
        const std::string_view electrodes = split < text.size() ? text.substr(split + 1) : std::string_view();
        Parsed([&] {
            return CExportSurvey::ParseProtocol(text.substr(0, split), electrodes, "fuzz", data[0] & 8, options);
        });
        break;
    }
    }
    return 0;
}
