#include "formats/DataFile.h"
#include "formats/ForwardInputFile.h"
#include "formats/LocationsFile.h"
#include "formats/MeshFile.h"
#include "formats/ModelFile.h"
#include "formats/ProtocolFile.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

// Instrument software starts its files with UTF-8's byte-order mark: a reader of each family
// (whole file, the start of one, key lines, records) reads such a file as the text without it.
TEST(TextFiles, EveryReaderSkipsAByteOrderMark)
{
    CModelFile model;
    model.coreX2 = 100, model.coreZ2 = 50, model.dcBackground = -2, model.ipBackground = 0.1f;
    model.topography = {{0, 1}, {100, 2}};
    CLocationsFile locations;
    locations.header = {6, 2.5, EArray::poleDipoleLeft, 4, 1.5};
    locations.data = {{20, 20, 10, 0}};
    CForwardInputFile input;
    input.meshFile = "m", input.locationsFile = "l", input.conductivityFile = "c";
    CDataFile dc;
    dc.data = {{0, 0, 10, 20, 1.5, 94}};
    CProtocolFile protocol;
    protocol.data = {{1, 0, 2, 0}};
    const struct {
        const char* name;
        std::string text;
        std::function<std::string(const std::string&)> read; // what was read, written again
    } rows[] = {
        {"model", model.Format(), [](auto& p) { return CModelFile::Read(p).Format(); }},
        {"locations", locations.Format(), [](auto& p) { return CLocationsFile::Read(p).Format(); }},
        {"locations header", locations.Format(),
         [&](auto& p) { return CLocationsFile::ReadHeader(p).fields == 5 ? locations.Format() : "no header"; }},
        {"mesh", "1\n0.0 10.0 2\n\n1\n0.00 5.00 1\n", [](auto& p) { return CMeshFile::Read(p).Format(); }},
        {"forward input", input.Format(), [](auto& p) { return CForwardInputFile::Read(p).Format(); }},
        {"DC data", dc.Format(), [](auto& p) { return CDataFile::Read(p, EModelKind::dc).Format(); }},
        {"protocol", protocol.Format(), [](auto& p) { return CProtocolFile::Read(p).Format(); }},
    };
    TempDir dir;
    for (const auto& row : rows) {
        WriteBytes(dir.File("file"), "\xEF\xBB\xBF" + row.text);
        std::string read;
        try {
            read = row.read(dir.File("file"));
        } catch (const std::exception& e) {
            read = e.what();
        }
        EXPECT_EQ(read, row.text) << row.name;
    }
}

} // namespace
