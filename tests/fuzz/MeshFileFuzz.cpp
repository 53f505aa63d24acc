#include "Fuzz.h"
#include "formats/MeshFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const auto f = Parsed([&] { return CMeshFile::Parse(Text(data, size), "fuzz"); });
    // The writer's decimals may merge close nodes (FitsItsDecimals), which the reader refuses;
    // a mesh that fits them reads back segment for segment.
    if (f && f->FitsItsDecimals()) {
        const CMeshFile back = CMeshFile::Parse(f->Format(), "written");
        ExpectReadBack(back.x.segmentEnds == f->x.segmentEnds && back.z.segmentEnds == f->z.segmentEnds,
                       "the mesh file");
    }
    return 0;
}
