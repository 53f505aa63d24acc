#include "mesh/MeshFile.h"

#include "mesh/Limits.h"
#include "mesh/Mesh.h"
#include "platform/FileException.h"
#include "platform/MessageBox.h"
#include "platform/StdioFile.h"
#include "platform/TextFormat.h"

#include <algorithm>
#include <cctype>
#include <memory>

void WriteMeshFile(const CMesh& mesh, const std::string& fileName)
{
    const int nx = mesh.nx, outer = mesh.outer, nz = mesh.nz;
    const auto& x = mesh.xNodes;
    const auto& z = mesh.zNodes;
    std::string text;
    text += FormatC("%i\n", 2 * outer + 1);
    text += FormatC("%.1f %.1f %i\n", x[0], x[1], 1);
    for (int i = 2; i <= outer; ++i)
        text += FormatC("    %.2f %i\n", x[i], 1);
    text += FormatC("    %.2f %i\n", x[nx - outer], nx - 2 * outer);
    for (int i = nx - outer + 1; i <= nx; ++i)
        text += FormatC("    %.2f %i\n", x[i], 1);

    text += FormatC("\n%i\n", mesh.padZ + 2);
    text += FormatC("%.2f %.2f %i\n", z[0], z[mesh.fineZ], mesh.fineZ);
    text += FormatC("    %.2f %i\n", z[mesh.fineZ + mesh.midZ], mesh.midZ);
    for (int i = mesh.fineZ + mesh.midZ + 1; i <= nz; ++i)
        text += FormatC("    %.2f %i\n", z[i], 1);

    CStdioFile file(fileName, CStdioFile::modeCreate | CStdioFile::modeWrite);
    file.WriteString(text);
    file.Close();
}

namespace {

// The blank-separated numbers of a file, whatever its line breaks.
class CTokenReader {
public:
    explicit CTokenReader(const std::string& path) : m_file(path, CStdioFile::modeRead) {}

    bool Next(std::string& token)
    {
        for (;;) {
            while (m_pos < m_line.size() && std::isspace(static_cast<unsigned char>(m_line[m_pos])))
                ++m_pos;
            if (m_pos < m_line.size())
                break;
            if (!m_file.ReadString(m_line))
                return false;
            m_pos = 0;
        }
        size_t start = m_pos;
        while (m_pos < m_line.size() && !std::isspace(static_cast<unsigned char>(m_line[m_pos])))
            ++m_pos;
        token.assign(m_line, start, m_pos - start);
        return true;
    }

    bool NextInt(int& value)
    {
        std::string token;
        return Next(token) && ParseIntC(token, value);
    }

    bool NextDouble(double& value)
    {
        std::string token;
        return Next(token) && ParseDoubleC(token, value);
    }

private:
    CStdioFile m_file;
    std::string m_line;
    size_t m_pos = 0;
};

// One axis: the segment count, the first segment's start, then each segment's end and count.
// With nodes null only the cells are counted; otherwise they are appended, never beyond the
// count the first pass found. False on anything the format does not allow.
bool ReadAxis(CTokenReader& in, long long& cells, std::vector<double>* nodes)
{
    int segments = 0;
    if (!in.NextInt(segments) || segments < 1)
        return false;
    double start = 0;
    if (!in.NextDouble(start))
        return false;
    if (nodes)
        nodes->push_back(start);
    cells = 0;
    for (int s = 0; s < segments; ++s) {
        double end = 0;
        int count = 0;
        if (!in.NextDouble(end) || !in.NextInt(count))
            return false;
        if (count >= 1) {
            cells += count;
            if (cells > kMaxAxisCells)
                return false;
            if (nodes) {
                if (nodes->size() + static_cast<size_t>(count) > nodes->capacity())
                    return false; // the file changed between the passes
                for (int i = 1; i <= count; ++i)
                    nodes->push_back(start + i * (end - start) / count);
            }
        }
        start = end;
    }
    return true;
}

bool StrictlyIncreasing(const std::vector<double>& nodes)
{
    return std::adjacent_find(nodes.begin(), nodes.end(), [](double a, double b) { return !(b > a); }) == nodes.end();
}

double SmallestStep(const std::vector<double>& nodes)
{
    double smallest = 1e30;
    for (size_t i = 0; i + 1 < nodes.size(); ++i)
        smallest = std::min(smallest, nodes[i + 1] - nodes[i]);
    return smallest;
}

} // namespace

bool ReadMeshFile(CMesh& mesh, const std::string& path, double x1, double& smallestWidth, double& smallestThickness)
{
    mesh = CMesh();
    auto invalid = [&mesh] {
        mesh = CMesh();
        AfxMessageBox("Error: Invalid mesh.", MB_ICONERROR);
        return false;
    };
    // First pass: the counts, so that the node lists are sized once and only for what the
    // file itself holds.
    long long nx = 0, nz = 0;
    std::unique_ptr<CTokenReader> counting;
    try {
        counting = std::make_unique<CTokenReader>(path);
    } catch (const CFileException&) {
        AfxMessageBox("Mesh file not found:\n" + path, MB_ICONERROR);
        return false;
    }
    try {
        if (!ReadAxis(*counting, nx, nullptr) || !ReadAxis(*counting, nz, nullptr))
            return invalid();
    } catch (const CFileException&) {
        return invalid();
    }
    counting.reset();
    if (nx < 1 || nz < 1 || nx * nz > kMaxMeshCells)
        return invalid();

    try {
        CTokenReader in(path);
        mesh.xNodes.reserve(static_cast<size_t>(nx) + 1);
        mesh.zNodes.reserve(static_cast<size_t>(nz) + 1);
        long long cx = 0, cz = 0;
        if (!ReadAxis(in, cx, &mesh.xNodes) || !ReadAxis(in, cz, &mesh.zNodes) || cx != nx || cz != nz)
            return invalid();
    } catch (const CFileException&) {
        return invalid();
    }
    mesh.nx = static_cast<int>(nx);
    mesh.nz = static_cast<int>(nz);
    if (!StrictlyIncreasing(mesh.xNodes) || !StrictlyIncreasing(mesh.zNodes))
        return invalid();

    // The outer columns on the right mirror those on the left, so the core must lie in between.
    mesh.outer = NearestNode(mesh.xNodes, x1);
    if (2 * static_cast<long long>(mesh.outer) >= mesh.nx)
        return invalid();

    smallestWidth = SmallestStep(mesh.xNodes);
    smallestThickness = SmallestStep(mesh.zNodes);
    return true;
}
