#include "model/ModelFile.h"

#include "formats/FormatError.h"
#include "formats/LocationsFile.h"
#include "formats/ModelFile.h"
#include "model/ModelData.h"
#include "platform/FilePath.h"
#include "platform/Refusal.h"
#include "platform/StdioFile.h"

namespace {

void TakeBlocks(const std::vector<CBlockRecord>& records, CElementList& blocks)
{
    blocks.clear();
    for (const CBlockRecord& r : records) {
        CElement& block = blocks.emplace_back(r.x1, r.z1, r.x2, r.z2, r.value, r.slope);
        block.m_bEllipse = r.ellipse;
    }
}

void Take(const CModelFile& file, CModelData& model)
{
    model.m_coreX1 = file.coreX1;
    model.m_coreX2 = file.coreX2;
    model.m_coreZ1 = file.coreZ1;
    model.m_coreZ2 = file.coreZ2;
    model.m_dcBackground = file.dcBackground.value_or(model.m_dcBackground);
    model.m_ipBackground = file.ipBackground.value_or(model.m_ipBackground);
    TakeBlocks(file.dcBlocks, model.m_dcModel);
    TakeBlocks(file.ipBlocks, model.m_ipModel);
    model.m_topo.clear();
    for (const CVertexRecord& p : file.topography)
        model.m_topo.emplace_back(p.x, p.z);
    const size_t k = model.m_topo.size();
    model.m_bTopography = k >= 3 || (k > 0 && (model.m_topo.front().m_z != 0 || model.m_topo.back().m_z != 0));
}

std::vector<CBlockRecord> Records(const CElementList& blocks)
{
    std::vector<CBlockRecord> records;
    for (const CElement& e : blocks)
        records.push_back({e.m_x1, e.m_x2, e.m_z1, e.m_z2, e.m_value, e.m_slope, e.m_bEllipse});
    return records;
}

// The header of the locations file beside the model gives the discretization that wrote it;
// each field it gives replaces the model's value.
void TakeLocationsHeader(const std::string& path, CModelData& model)
{
    const CLocationsHeader h = CLocationsFile::ReadHeader(path);
    if (h.fields >= 1)
        model.m_discretize.n = h.n;
    if (h.fields >= 2)
        model.m_discretize.aSpacing = h.aSpacing;
    if (h.fields >= 3)
        model.m_discretize.array = h.array;
    if (h.fields >= 4)
        model.m_discretize.cellsPerElectrode = h.cellsPerElectrode;
    if (h.fields >= 5)
        model.m_discretize.aspectRatio = h.aspectRatio;
}

} // namespace

void ReadModelFile(const std::string& path, CModelData& model)
{
    if (const std::string refused = model.ReservedNameMessage(path, false); !refused.empty())
        throw CRefusal(refused);
    // Read into a copy so that a bad file leaves the open model whole.
    CModelData fresh = model;
    try {
        Take(CModelFile::Read(path), fresh);
    } catch (const CFormatError& e) {
        throw CRefusal(std::string("Error reading\n") + e.what());
    }
    std::string folder = RemoveLastComponent(AbsolutePath(path));
    TakeLocationsHeader(folder + "/" + kLocationsFileName, fresh);
    model = std::move(fresh);
}

void WriteModelFile(const std::string& path, const CModelData& model)
{
    if (const std::string refused = model.ReservedNameMessage(path, true); !refused.empty())
        throw CRefusal(refused);
    CModelFile file;
    file.coreX1 = model.m_coreX1;
    file.coreX2 = model.m_coreX2;
    file.coreZ1 = model.m_coreZ1;
    file.coreZ2 = model.m_coreZ2;
    file.dcBackground = model.m_dcBackground;
    file.ipBackground = model.m_ipBackground;
    file.dcBlocks = Records(model.m_dcModel);
    file.ipBlocks = Records(model.m_ipModel);
    for (const CTopoPt& p : model.m_topo)
        file.topography.push_back({p.m_x, p.m_z});
    // The model file stays behind the user's link, unlike the files written beside it.
    file.Write(FollowLink(path));
}
