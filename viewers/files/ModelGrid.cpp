#include "files/ModelGrid.h"

#include "files/TextFile.h"
#include "mesh/Limits.h"
#include "platform/TextFormat.h"

#include <charconv>
#include <cmath>

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

// Hands out the blank-separated words of a text in turn.
class CWords {
public:
    explicit CWords(std::string_view text) : m_text(text) {}

    bool Next(std::string_view& word)
    {
        while (m_pos < m_text.size() && IsBlank(m_text[m_pos]))
            ++m_pos;
        if (m_pos >= m_text.size())
            return false;
        const size_t start = m_pos;
        while (m_pos < m_text.size() && !IsBlank(m_text[m_pos]))
            ++m_pos;
        word = m_text.substr(start, m_pos - start);
        return true;
    }

private:
    std::string_view m_text;
    size_t m_pos = 0;
};

// from_chars never looks at the locale and is several times faster than strtod, which counts
// for files of millions of values; it refuses the '+' that strtod allows, so that is taken here.
bool ParseValue(std::string_view word, double& value)
{
    if (!word.empty() && word.front() == '+')
        word.remove_prefix(1);
    const char* end = word.data() + word.size();
    auto [ptr, ec] = std::from_chars(word.data(), end, value);
    return ec == std::errc() && ptr == end && std::isfinite(value);
}

} // namespace

std::string ReadModelGrid(const std::string& path, CModelGrid& grid)
{
    grid = CModelGrid();
    std::string text;
    if (std::string error = ReadWholeFile(path, "Model file", text); !error.empty())
        return error;

    CWords words(text);
    std::string_view word;
    int nx = 0, nz = 0;
    if (!words.Next(word))
        return "The model file is empty:\n" + path;
    const bool haveNx = ParseIntC(word, nx);
    const bool haveNz = haveNx && words.Next(word) && ParseIntC(word, nz);
    if (!haveNz || nx < 1 || nz < 1)
        return "The model file does not start with its numbers of columns and rows:\n" + path;
    const long long count = static_cast<long long>(nx) * nz;
    if (count > kMaxMeshCells)
        return FormatC("The model file declares %i x %i cells, more than a mesh may hold:\n", nx, nz) + path;

    std::vector<double> values(static_cast<size_t>(count));
    for (long long j = 0; j < count; ++j) {
        if (!words.Next(word))
            return FormatC("The model file is cut short: it holds %lld of its %i x %i values:\n", j, nx, nz) + path;
        if (!ParseValue(word, values[static_cast<size_t>(j)]))
            return FormatC("Value %lld of the model file (column %lld, row %lld) is not a number: \"", j + 1,
                           j % nx + 1, j / nx + 1) +
                   std::string(word.substr(0, 40)) + "\"\n" + path;
    }
    if (words.Next(word))
        return FormatC("The model file holds more than its %i x %i values:\n", nx, nz) + path;
    grid.nx = nx;
    grid.nz = nz;
    grid.values = std::move(values);
    return "";
}
