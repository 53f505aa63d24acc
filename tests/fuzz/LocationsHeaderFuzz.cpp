#include "Fuzz.h"
#include "formats/LocationsFile.h"

// The header never refuses: it gives the fields it could read. The locations file's writer puts
// them on its first line, with a 0 for each field not read, which gives them back (and perhaps
// one more: a 0 is a valid array type).
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CLocationsFile f;
    f.header = CLocationsHeader::Parse(Text(data, size));
    const std::string written = f.Format();
    CLocationsFile back;
    back.header = CLocationsHeader::Parse(written.substr(0, written.find('\n')));
    ExpectReadBack(back.header.fields >= f.header.fields && back.Format() == written, "the locations header");
    return 0;
}
