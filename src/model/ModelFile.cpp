#include "model/ModelFile.h"

#include "formats/FormatError.h"
#include "formats/LocationsFile.h"
#include "formats/ModelFile.h"
#include "model/ModelData.h"
#include "platform/FileException.h"
#include "platform/FilePath.h"
#include "platform/MessageBox.h"

namespace {

std::string ReservedNameMessage(const CModelData& model, const char* direction)
{
    return "Cannot use \"" + model.m_conFileName + "\" or \"" + model.m_chgFileName + "\" as the\n" + direction +
           " filenames, since these files are used to store the\n"
           "descretized models used for forward modelling.";
}

void TakeBlocks(const std::vector<CBlockRecord>& records, CElementList& blocks, const CModelData& model)
{
    const double s = model.LogicalScale();
    blocks.clear();
    for (const CBlockRecord& r : records) {
        CElement& block = blocks.emplace_back();
        block.SetGeometry(r.x1, r.z1, r.x2, r.z2, r.value, r.slope);
        block.m_bEllipse = r.ellipse;
        block.UpdateRect(model.m_coreX1, model.m_coreZ1, s);
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
    TakeBlocks(file.dcBlocks, model.m_dcModel, model);
    TakeBlocks(file.ipBlocks, model.m_ipModel, model);
    const double s = model.LogicalScale();
    model.m_topo.clear();
    for (const CVertexRecord& p : file.topography)
        model.m_topo.emplace_back(p.x, p.z, model.m_coreX1, model.m_coreZ1, s);
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
        model.m_n = h.n;
    if (h.fields >= 2)
        model.m_aSpacing = h.aSpacing;
    if (h.fields >= 3)
        model.m_arrayType = h.arrayType;
    if (h.fields >= 4)
        model.m_cellsPerElectrode = h.cellsPerElectrode;
    if (h.fields >= 5)
        model.m_aspectRatio = h.aspectRatio;
}

} // namespace

bool ReadModelFile(const std::string& path, CModelData& model)
{
    if (model.IsReservedFileName(path)) {
        AfxMessageBox(ReservedNameMessage(model, "input"));
        return false;
    }
    // Read into a copy so that a bad file leaves the open model whole.
    CModelData fresh = model;
    try {
        Take(CModelFile::Read(path), fresh);
    } catch (const CFileException& e) {
        e.ReportError();
        return false;
    } catch (const CFormatError& e) {
        AfxMessageBox(std::string("Error reading\n") + e.what());
        return false;
    }
    std::string folder = RemoveLastComponent(AbsolutePath(path));
    TakeLocationsHeader(folder + "/" + fresh.m_locFileName, fresh);
    model = std::move(fresh);
    return true;
}

bool WriteModelFile(const std::string& path, const CModelData& model)
{
    if (model.IsReservedFileName(path)) {
        AfxMessageBox(ReservedNameMessage(model, "output"));
        return false;
    }
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
    try {
        file.Write(path);
    } catch (const CFileException& e) {
        e.ReportError();
        return false;
    }
    return true;
}
