#include "model/ModelFile.h"

#include "model/ModelData.h"
#include "platform/FileException.h"
#include "platform/FilePath.h"
#include "platform/MessageBox.h"
#include "platform/StdioFile.h"
#include "platform/TextFormat.h"

#include <cmath>

namespace {

std::string ReservedNameMessage(const CModelData& model, const char* direction)
{
    return "Cannot use \"" + model.m_conFileName + "\" or \"" + model.m_chgFileName + "\" as the\n" + direction +
           " filenames, since these files are used to store the\n"
           "descretized models used for forward modelling.";
}

// Reads one list header and its block lines. The count only bounds the loop: every block
// is appended after its line was read, so a count the file cannot back costs nothing.
bool ReadBlocks(CStdioFile& file, CElementList& blocks, float& background, const CModelData& model)
{
    std::string line;
    int count = 0;
    float value = 0;
    if (!file.ReadString(line))
        return false;
    int got = ScanFields(line, "%i %f", &count, &value);
    if (got < 1 || count < 0)
        return false;
    if (got == 2)
        background = value;

    const double s = model.LogicalScale();
    blocks.clear();
    for (int i = 0; i < count; ++i) {
        double x1, x2, z1, z2, slope;
        float v;
        int ellipse;
        if (!file.ReadString(line) ||
            ScanFields(line, "%lf %lf %lf %lf %f %lf %i", &x1, &x2, &z1, &z2, &v, &slope, &ellipse) < 7)
            return false;
        CElement& block = blocks.emplace_back();
        block.SetGeometry(x1, z1, x2, z2, v, slope);
        block.m_bEllipse = ellipse != 0;
        block.UpdateRect(model.m_coreX1, model.m_coreZ1, s);
    }
    return true;
}

bool ReadBody(CStdioFile& file, CModelData& model)
{
    std::string line;
    double x1, x2, z1, z2;
    if (!file.ReadString(line) || ScanFields(line, "%lf %lf %lf %lf", &x1, &x2, &z1, &z2) < 4)
        return false;
    // A core area without width or height has no logical scale and cannot be drawn or meshed.
    if (!(x1 < x2) || !(z1 < z2) || !std::isfinite(x2 - x1) || !std::isfinite(z2 - z1))
        return false;
    model.m_coreX1 = x1;
    model.m_coreX2 = x2;
    model.m_coreZ1 = z1;
    model.m_coreZ2 = z2;
    const double s = model.LogicalScale();
    if (!std::isfinite(s))
        return false;

    if (!ReadBlocks(file, model.m_dcModel, model.m_dcBackground, model) ||
        !ReadBlocks(file, model.m_ipModel, model.m_ipBackground, model))
        return false;

    int count = 0;
    if (!file.ReadString(line) || ScanFields(line, "%i", &count) < 1)
        return false;
    model.m_topo.clear();
    for (int i = 0; i < count; ++i) {
        double x, z;
        if (!file.ReadString(line) || ScanFields(line, "%lf %lf", &x, &z) < 2)
            return false;
        model.m_topo.emplace_back(x, z, x1, z1, s);
    }
    const size_t k = model.m_topo.size();
    model.m_bTopography = k >= 3 || (k > 0 && (model.m_topo.front().m_z != 0 || model.m_topo.back().m_z != 0));
    return true;
}

// The locations file starts with "#n a-spacing array cells aspect"; each field that converts
// replaces the model's value, up to the first that does not.
void ReadLocationsHeader(const std::string& path, CModelData& model)
{
    if (!FileExists(path))
        return;
    std::string line;
    try {
        CStdioFile file(path, CStdioFile::modeRead);
        if (!file.ReadString(line))
            return;
    } catch (const CFileException&) {
        return; // the header only saves retyping; an unreadable one is no reason to refuse the model
    }
    if (line.empty() || line[0] != '#')
        return;
    int n, arrayType, cells;
    double aSpacing, aspect;
    int got =
        ScanFields(std::string_view(line).substr(1), "%i %lf %i %i %lf", &n, &aSpacing, &arrayType, &cells, &aspect);
    // An array type outside the four radio buttons does not convert either.
    if (got >= 3 && (arrayType < 0 || arrayType > 3))
        got = 2;
    if (got >= 1)
        model.m_n = n;
    if (got >= 2)
        model.m_aSpacing = aSpacing;
    if (got >= 3)
        model.m_arrayType = arrayType;
    if (got >= 4)
        model.m_cellsPerElectrode = cells;
    if (got >= 5)
        model.m_aspectRatio = aspect;
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
        CStdioFile file(path, CStdioFile::modeRead);
        if (!ReadBody(file, fresh)) {
            file.Close();
            AfxMessageBox("Error reading\n" + path);
            return false;
        }
        file.Close();
    } catch (const CFileException& e) {
        e.ReportError();
        return false;
    }
    std::string folder = RemoveLastComponent(AbsolutePath(path));
    ReadLocationsHeader(folder + "/" + fresh.m_locFileName, fresh);
    model = std::move(fresh);
    return true;
}

bool WriteModelFile(const std::string& path, const CModelData& model)
{
    if (model.IsReservedFileName(path)) {
        AfxMessageBox(ReservedNameMessage(model, "output"));
        return false;
    }
    auto writeBlocks = [](CStdioFile& file, const CElementList& blocks) {
        for (const CElement& e : blocks)
            file.WriteString(FormatC("%g %g  %g %g  %g  %lg %i\n", e.m_x1, e.m_x2, e.m_z1, e.m_z2,
                                     static_cast<double>(e.m_value), e.m_slope, e.m_bEllipse ? 1 : 0));
    };
    try {
        CStdioFile file(path, CStdioFile::modeCreate | CStdioFile::modeWrite);
        file.WriteString(FormatC("%g %g %g %g  ! core area x1,x2, z1,z2 \n", model.m_coreX1, model.m_coreX2,
                                 model.m_coreZ1, model.m_coreZ2));
        file.WriteString(FormatC("%i %g  ! DC # of blocks, background\n", static_cast<int>(model.m_dcModel.size()),
                                 static_cast<double>(model.m_dcBackground)));
        writeBlocks(file, model.m_dcModel);
        file.WriteString(FormatC("%i %g  ! IP # of blocks, background\n", static_cast<int>(model.m_ipModel.size()),
                                 static_cast<double>(model.m_ipBackground)));
        writeBlocks(file, model.m_ipModel);
        file.WriteString(FormatC("%i  ! topography points\n", static_cast<int>(model.m_topo.size())));
        for (const CTopoPt& p : model.m_topo)
            file.WriteString(FormatC("%g %g\n", p.m_x, p.m_z));
        file.Close();
    } catch (const CFileException& e) {
        e.ReportError();
        return false;
    }
    return true;
}
