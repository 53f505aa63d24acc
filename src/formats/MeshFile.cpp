#include "formats/MeshFile.h"

#include "formats/FormatError.h"
#include "formats/Limits.h"
#include "formats/Text.h"
#include "platform/StdioFile.h"
#include "platform/TextFormat.h"

#include <cmath>

namespace {

const char* const kFirstXSegment = "%.1f %.1f %i\n";
const char* const kFirstZSegment = "%.2f %.2f %i\n";
const char* const kSegment = "    %.2f %i\n";

class CMeshReader {
public:
    CMeshReader(std::string_view text, const std::string& name) : m_tokens(text), m_name(name) {}

    [[noreturn]] void Refuse(const std::string& reason) const { throw CFormatError(m_name, m_tokens.Line(), reason); }

    std::string_view Token(const std::string& what)
    {
        std::string_view token;
        if (!m_tokens.Next(token))
            throw CFormatError(m_name, 0, "the file ends before " + what);
        return token;
    }

    int Integer(const std::string& what)
    {
        const std::string_view token = Token(what);
        int v = 0;
        if (!ParseInteger(token, v))
            Refuse("expected " + what + ", not " + Quoted(token));
        return v;
    }

    double Position(const std::string& what)
    {
        const std::string_view token = Token(what);
        double v = 0;
        if (!ParseNumber(token, v))
            Refuse("expected " + what + ", not " + Quoted(token));
        if (!(std::fabs(v) <= kMaxCoordinate))
            Refuse("the position " + Exact(v) + " lies beyond " + Exact(kMaxCoordinate) + " units");
        return v;
    }

    // One axis. Without an axis to fill only the cells are counted, so that the counts are
    // checked before anything is stored.
    long long Axis(const char* name, CMeshAxis* axis)
    {
        const std::string of = std::string(" of the ") + name + " segments";
        const int segments = Integer(std::string("the number of ") + name + " segments");
        if (segments < 1 || segments > kMaxAxisCells)
            Refuse(FormatC("the number of %s segments must be from 1 to %i, not %i", name, kMaxAxisCells, segments));
        double start = Position("the start" + of);
        if (axis)
            axis->nodes.push_back(start);
        long long cells = 0;
        for (int s = 1; s <= segments; ++s) {
            const std::string segment = FormatC(" of %s segment %i", name, s);
            const double end = Position("the end" + segment);
            const int count = Integer("the number of cells" + segment);
            if (count >= 1) {
                cells += count;
                if (cells > kMaxAxisCells)
                    Refuse(FormatC("the %s axis has more than the %i cells a mesh may have", name, kMaxAxisCells));
                if (axis) {
                    for (int i = 1; i <= count; ++i) {
                        const double node = start + i * (end - start) / count;
                        if (!(node - axis->nodes.back() >= kMinLength))
                            Refuse(FormatC("the %s positions must increase by at least %s, but %s follows %s", name,
                                           Exact(kMinLength).c_str(), Exact(node).c_str(),
                                           Exact(axis->nodes.back()).c_str()));
                        axis->nodes.push_back(node);
                    }
                    axis->segmentEnds.push_back(static_cast<int>(axis->nodes.size()) - 1);
                }
            }
            start = end;
        }
        if (cells < 1)
            Refuse(std::string("the ") + name + " axis has no cells");
        return cells;
    }

private:
    CTokens m_tokens;
    const std::string& m_name;
};

void AppendAxis(std::string& text, const CMeshAxis& axis, const char* firstSegment)
{
    text += FormatC("%zu\n", axis.segmentEnds.size());
    int from = 0;
    for (size_t s = 0; s < axis.segmentEnds.size(); ++s) {
        const int to = axis.segmentEnds[s];
        if (to < from || static_cast<size_t>(to) >= axis.nodes.size())
            throw CFormatError(std::string(), 0, FormatC("segment %zu does not end at one of its axis' nodes", s + 1));
        if (s == 0)
            text += FormatC(firstSegment, axis.nodes.front(), axis.nodes[to], to);
        else
            text += FormatC(kSegment, axis.nodes[to], to - from);
        from = to;
    }
}

} // namespace

CMeshFile CMeshFile::Parse(std::string_view text, const std::string& name)
{
    CMeshReader counting(text, name);
    const long long nx = counting.Axis("x", nullptr), nz = counting.Axis("z", nullptr);
    if (nx * nz > kMaxMeshCells)
        throw CFormatError(
            name, 0, FormatC("it has %lld x %lld cells, more than the %lld a mesh may have", nx, nz, kMaxMeshCells));
    CMeshFile f;
    f.x.nodes.reserve(static_cast<size_t>(nx) + 1);
    f.z.nodes.reserve(static_cast<size_t>(nz) + 1);
    CMeshReader in(text, name);
    in.Axis("x", &f.x);
    in.Axis("z", &f.z);
    return f;
}

CMeshFile CMeshFile::Read(const std::string& path)
{
    return Parse(ReadTextFile(path, kMaxMeshFileBytes), path);
}

std::string CMeshFile::Format() const
{
    std::string text;
    AppendAxis(text, x, kFirstXSegment);
    text += '\n';
    AppendAxis(text, z, kFirstZSegment);
    return text;
}

void CMeshFile::Write(const std::string& path) const
{
    WriteTextFile(path, Format());
}

bool CMeshFile::FitsItsDecimals() const
{
    try {
        const CMeshFile back = Parse(Format(), std::string());
        return back.x.nodes.size() == x.nodes.size() && back.z.nodes.size() == z.nodes.size();
    } catch (const CFormatError&) {
        return false;
    }
}
