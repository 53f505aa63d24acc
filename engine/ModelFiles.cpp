#include "engine/ModelFiles.h"

#include "engine/EngineError.h"
#include "engine/RunLog.h"
#include "platform/FileException.h"
#include "platform/StdioFile.h"
#include "platform/TextFormat.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

// The whole file: model files can have lines far longer than a text line reader keeps.
std::string ReadWholeFile(const std::string& path, const std::string& description)
{
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"), &std::fclose);
    if (!file) {
        if (errno == ENOENT)
            throw CEngineError("The " + description + " " + path + " does not exist.");
        throw CEngineError("The " + description + " " + path + " cannot be opened: " + std::strerror(errno) + ".");
    }
    std::string text;
    char buffer[1 << 16];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file.get())) > 0)
        text.append(buffer, got);
    if (std::ferror(file.get()))
        throw CEngineError("The " + description + " " + path + " cannot be read.");
    return text;
}

class CTokens {
public:
    explicit CTokens(const std::string& text) : m_p(text.data()), m_end(text.data() + text.size()) {}

    // The next blank-separated token; empty at the end.
    std::string_view Next()
    {
        while (m_p < m_end && std::isspace(static_cast<unsigned char>(*m_p)))
            ++m_p;
        const char* start = m_p;
        while (m_p < m_end && !std::isspace(static_cast<unsigned char>(*m_p)))
            ++m_p;
        return std::string_view(start, static_cast<size_t>(m_p - start));
    }

private:
    const char* m_p;
    const char* m_end;
};

bool ToDouble(std::string_view token, double& value)
{
    const char* first = token.data();
    if (!token.empty() && *first == '+')
        ++first;
    auto [end, ec] = std::from_chars(first, token.data() + token.size(), value);
    return ec == std::errc() && end == token.data() + token.size();
}

bool ToInt(std::string_view token, int& value)
{
    auto [end, ec] = std::from_chars(token.data(), token.data() + token.size(), value);
    return ec == std::errc() && end == token.data() + token.size();
}

} // namespace

CCellValues ReadCellValues(const std::string& path, const char* what, int nx, int nz, const std::string& meshFile,
                           CRunLog& log)
{
    const std::string description = std::string(what) + " file";
    const std::string text = ReadWholeFile(path, description);
    CTokens tokens(text);
    int fileNx = 0, fileNz = 0;
    if (!ToInt(tokens.Next(), fileNx) || !ToInt(tokens.Next(), fileNz) || fileNx < 1 || fileNz < 1)
        throw CEngineError("The " + description + " " + path +
                           " does not start with its numbers of columns and rows.");
    if (fileNx != nx || fileNz != nz)
        throw CEngineError(FormatC("The %s %s is made for %i x %i cells, but the mesh file %s has %i x %i: the "
                                   "model does not belong to this mesh.",
                                   description.c_str(), path.c_str(), fileNx, fileNz, meshFile.c_str(), nx, nz));
    CCellValues values(static_cast<size_t>(nx) * nz);
    for (size_t c = 0; c < values.size(); ++c) {
        const std::string_view token = tokens.Next();
        if (token.empty())
            throw CEngineError(FormatC("The %s %s ends after %zu of its %zu values.", description.c_str(),
                                       path.c_str(), c, values.size()));
        if (!ToDouble(token, values[c]))
            throw CEngineError(FormatC("The %s %s holds \"%.*s\" where the value of the cell in column %zu, row %zu "
                                       "is expected.",
                                       description.c_str(), path.c_str(), static_cast<int>(std::min<size_t>(token.size(), 40)),
                                       token.data(), c % nx + 1, c / nx + 1));
    }
    if (!tokens.Next().empty())
        log.Warning("The " + description + " " + path + " holds more values than the mesh has cells; the rest is ignored.");
    return values;
}

void ReadTopography(const std::string& path, std::vector<double>& X, std::vector<double>& E, CRunLog& log)
{
    X.clear();
    E.clear();
    int count = -1;
    try {
        CStdioFile file(path, CStdioFile::modeRead);
        std::string line;
        int lineNumber = 0;
        while (file.ReadString(line)) {
            ++lineNumber;
            if (line.find_first_not_of(" \t") == std::string::npos)
                continue;
            if (count < 0) {
                if (ScanFields(line, "%i", &count) != 1 || count < 2)
                    throw CEngineError("The topography file " + path +
                                       " does not start with its number of points (two or more).");
                continue;
            }
            double x = 0, e = 0;
            if (ScanFields(line, "%lf %lf", &x, &e) != 2)
                throw CEngineError(FormatC("Line %i of the topography file %s does not hold a position and an "
                                           "elevation: %s",
                                           lineNumber, path.c_str(), line.c_str()));
            if (!X.empty() && x < X.back())
                throw CEngineError(FormatC("The topography file %s goes back in x at line %i: its points must "
                                           "run from left to right.",
                                           path.c_str(), lineNumber));
            X.push_back(x);
            E.push_back(e);
        }
        file.Close();
    } catch (const CFileException& e) {
        if (e.m_cause == CFileException::fileNotFound)
            throw CEngineError("The topography file " + path + " does not exist.");
        throw CEngineError("The topography file " + path + " cannot be read: " + e.GetErrorMessage());
    }
    if (count < 0)
        throw CEngineError("The topography file " + path + " is empty.");
    if (static_cast<int>(X.size()) != count)
        throw CEngineError(FormatC("The topography file %s announces %i points but holds %zu.", path.c_str(), count,
                                   X.size()));
    log.Info(FormatC("Topography: %s, %i points, elevations %g to %g", path.c_str(), count,
                     *std::min_element(E.begin(), E.end()), *std::max_element(E.begin(), E.end())));
}
