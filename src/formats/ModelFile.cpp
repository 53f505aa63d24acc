#include "formats/ModelFile.h"

#include "formats/Choices.h"
#include "formats/FormatError.h"
#include "formats/Limits.h"
#include "formats/Text.h"
#include "platform/StdioFile.h"
#include "platform/TextFormat.h"

#include <cmath>

namespace {

const char* const kCoreComment = "  ! core area x1,x2, z1,z2 ";
const char* const kDcComment = "  ! DC # of blocks, background";
const char* const kIpComment = "  ! IP # of blocks, background";
const char* const kTopographyComment = "  ! topography points";

class CModelReader {
public:
    CModelReader(std::string_view text, const std::string& name) : m_lines(text), m_name(name) {}

    [[noreturn]] void Refuse(const std::string& reason) const { throw CFormatError(m_name, m_lines.Number(), reason); }

    // The next line's tokens; what names the line when the file ends before it.
    void NextLine(const std::string& what)
    {
        if (!m_lines.Next(m_line))
            throw CFormatError(m_name, 0, "the file ends before " + what);
        m_tokens = CTokens(m_line);
    }

    bool Token(std::string_view& token) { return m_tokens.Next(token); }

    // The next leading number of the line; what says what the line should hold.
    double Position(const char* what)
    {
        double v = 0;
        std::string_view token;
        if (!Token(token) || !ParseNumber(token, v))
            Refuse(std::string("expected ") + what);
        if (!IsModelPosition(v))
            Refuse("the position " + Exact(v) + " lies beyond " + Exact(kMaxCoordinate) + " units");
        return v;
    }

    int Count(const char* what, int most)
    {
        int count = 0;
        std::string_view token;
        if (!Token(token) || !ParseInteger(token, count, 0))
            Refuse(std::string("expected the number of ") + what);
        if (count > most)
            Refuse(FormatC("%i %s are more than the %i a model may hold", count, what, most));
        return count;
    }

    // The optional background after a count: absent when the next token is no number at all.
    std::optional<float> Background(EModelKind model)
    {
        std::string_view token;
        double v = 0;
        if (!Token(token) || !ParseNumber(token, v))
            return std::nullopt;
        return Value(token, model, "background", "");
    }

    // A value, read as a float straight from its text as C's "%f" reads it.
    float Value(std::string_view token, EModelKind model, const char* what, const std::string& expected)
    {
        float f = 0;
        double v = 0;
        if (!ParseNumber(token, f)) {
            if (!ParseNumber(token, v))
                Refuse("expected " + expected);
            Refuse(std::string("the ") + what + " " + Exact(v) + " is beyond the range of the values a model holds");
        }
        if (model == EModelKind::dc && !IsDCValue(f))
            Refuse(FormatC("the DC %s %s (log10 of a conductivity) lies beyond %g", what, Exact(f).c_str(),
                           kMaxLogConductivity));
        return f;
    }

    void Blocks(EModelKind model, std::optional<float>& background, std::vector<CBlockRecord>& blocks)
    {
        const char* const kind = model == EModelKind::dc ? "DC" : "IP";
        NextLine(std::string("the number of ") + kind + " blocks");
        const int count = Count(model == EModelKind::dc ? "DC blocks" : "IP blocks", kMaxBlocks);
        if (count < 0)
            Refuse(FormatC("the number of %s blocks, %i, is negative", kind, count));
        background = Background(model);
        blocks.clear();
        const std::string fields = std::string("a ") + kind + " block: x1 x2 z1 z2 value slope ellipse";
        for (int i = 0; i < count; ++i) {
            NextLine(FormatC("%s block %i of %i", kind, i + 1, count));
            CBlockRecord b;
            b.x1 = Position(fields.c_str());
            b.x2 = Position(fields.c_str());
            b.z1 = Position(fields.c_str());
            b.z2 = Position(fields.c_str());
            std::string_view token;
            if (!Token(token))
                Refuse("expected " + fields);
            b.value = Value(token, model, "value", fields);
            if (!Token(token) || !ParseNumber(token, b.slope))
                Refuse("expected " + fields);
            if (!(std::fabs(b.slope) <= kMaxSlope))
                Refuse("the slope " + Exact(b.slope) + " is steeper than " + Exact(kMaxSlope));
            int ellipse = 0;
            if (!Token(token) || !ParseInteger(token, ellipse, 0))
                Refuse("expected " + fields);
            b.ellipse = ellipse != 0;
            blocks.push_back(b);
        }
    }

private:
    CLines m_lines;
    const std::string& m_name;
    std::string_view m_line;
    CTokens m_tokens{std::string_view()};
};

void AppendBlocks(std::string& text, const std::vector<CBlockRecord>& blocks)
{
    for (const CBlockRecord& b : blocks) {
        AppendExact(text, b.x1);
        text += ' ';
        AppendExact(text, b.x2);
        text += "  ";
        AppendExact(text, b.z1);
        text += ' ';
        AppendExact(text, b.z2);
        text += "  ";
        AppendExact(text, b.value);
        text += "  ";
        AppendExact(text, b.slope);
        text += b.ellipse ? " 1\n" : " 0\n";
    }
}

} // namespace

CModelFile CModelFile::Parse(std::string_view text, const std::string& name)
{
    CModelFile f;
    CModelReader in(text, name);
    in.NextLine("the core area");
    const char* const core = "the core area: x1 x2 z1 z2";
    f.coreX1 = in.Position(core);
    f.coreX2 = in.Position(core);
    f.coreZ1 = in.Position(core);
    f.coreZ2 = in.Position(core);
    // A core area without width or height has no scale and cannot be drawn or meshed.
    if (!IsCoreSide(f.coreX1, f.coreX2) || !IsCoreSide(f.coreZ1, f.coreZ2))
        in.Refuse("the core area must have x1 < x2 and z1 < z2, at least " + Exact(kMinLength) + " apart");
    in.Blocks(EModelKind::dc, f.dcBackground, f.dcBlocks);
    in.Blocks(EModelKind::ip, f.ipBackground, f.ipBlocks);
    in.NextLine("the number of topography points");
    const int count = in.Count("topography points", kMaxTopographyPoints);
    for (int i = 0; i < count; ++i) {
        in.NextLine(FormatC("topography point %i of %i", i + 1, count));
        CVertexRecord& p = f.topography.emplace_back();
        p.x = in.Position("a topography point: x z");
        p.z = in.Position("a topography point: x z");
    }
    return f;
}

CModelFile CModelFile::Read(const std::string& path)
{
    return Parse(ReadTextFile(path, kMaxModelFileBytes), path);
}

std::string CModelFile::Format() const
{
    std::string text;
    for (double v : {coreX1, coreX2, coreZ1})
        AppendExact(text, v), text += ' ';
    AppendExact(text, coreZ2);
    text += kCoreComment;
    text += '\n';
    auto list = [&text](const std::vector<CBlockRecord>& blocks, std::optional<float> background, const char* comment) {
        text += std::to_string(blocks.size()) + ' ';
        AppendExact(text, background.value_or(0.0f));
        text += comment;
        text += '\n';
        AppendBlocks(text, blocks);
    };
    list(dcBlocks, dcBackground, kDcComment);
    list(ipBlocks, ipBackground, kIpComment);
    text += std::to_string(topography.size()) + kTopographyComment + '\n';
    for (const CVertexRecord& p : topography) {
        AppendExact(text, p.x);
        text += ' ';
        AppendExact(text, p.z);
        text += '\n';
    }
    return text;
}

void CModelFile::Write(const std::string& path) const
{
    WriteTextFile(path, Format());
}
