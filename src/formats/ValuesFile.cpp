#include "formats/ValuesFile.h"

#include "formats/FormatError.h"
#include "formats/Limits.h"
#include "formats/Text.h"
#include "platform/StdioFile.h"
#include "platform/TextFormat.h"

#include <algorithm>
#include <cmath>

namespace {

const char* const kSizeLine = "%i %i\n";
const char kAfterValue = ' ';

} // namespace

CValuesFile CValuesFile::Parse(std::string_view text, const std::string& name)
{
    CTokens tokens(text);
    std::string_view token;
    auto refuse = [&](const std::string& reason) { throw CFormatError(name, tokens.Line(), reason); };
    CValuesFile f;
    for (int* size : {&f.nx, &f.nz}) {
        if (!tokens.Next(token))
            throw CFormatError(name, 0, "it does not start with its numbers of columns and rows");
        if (!ParseInteger(token, *size) || *size < 1 || *size > kMaxAxisCells)
            refuse(FormatC("expected the numbers of columns and rows, from 1 to %i, not %s", kMaxAxisCells,
                           Quoted(token).c_str()));
    }
    const long long count = static_cast<long long>(f.nx) * f.nz;
    if (count > kMaxMeshCells)
        refuse(FormatC("%i x %i cells are more than the %lld a mesh may have", f.nx, f.nz, kMaxMeshCells));
    // A value takes two bytes at least: a short text cannot make the grid allocate for more.
    f.values.reserve(std::min(static_cast<size_t>(count), text.size() / 2 + 1));
    for (long long j = 0; j < count; ++j) {
        if (!tokens.Next(token))
            throw CFormatError(name, 0, FormatC("it ends after %lld of its %i x %i values", j, f.nx, f.nz));
        if (!ParseNumber(token, f.values.emplace_back()))
            refuse(FormatC("the value of the cell in column %lld, row %lld is not a finite number: %s", j % f.nx + 1,
                           j / f.nx + 1, Quoted(token).c_str()));
    }
    if (tokens.Next(token))
        refuse(FormatC("the file holds more than its %i x %i values", f.nx, f.nz));
    return f;
}

CValuesFile CValuesFile::Read(const std::string& path)
{
    return Parse(ReadTextFile(path, kMaxValuesFileBytes), path);
}

void CValuesFile::Write(const std::string& path, int nx, int nz, std::span<const float> values)
{
    const size_t count = static_cast<size_t>(std::max(nx, 0)) * static_cast<size_t>(std::max(nz, 0));
    if (values.size() < count)
        throw CFormatError(path, 0, FormatC("it would need %zu values, but the grid has %zu", count, values.size()));
    for (size_t j = 0; j < count; ++j)
        if (!std::isfinite(values[j]))
            throw CFormatError(path, static_cast<int>(j / nx) + 2,
                               FormatC("the value of the cell in column %zu would be %g, which no file can hold",
                                       j % nx + 1, static_cast<double>(values[j])));
    CStdioFile file(path, CStdioFile::modeCreate | CStdioFile::modeWrite);
    std::string text = FormatC(kSizeLine, nx, nz);
    for (int k = 0; k < nz; ++k) {
        const float* row = values.data() + static_cast<size_t>(k) * nx;
        for (int i = 0; i < nx; ++i) {
            AppendExact(text, row[i]);
            text += kAfterValue;
        }
        text += '\n';
        if (text.size() > (1 << 16)) {
            file.WriteString(text);
            text.clear();
        }
    }
    file.WriteString(text);
    file.Close();
}
