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
#include <string_view>
#include <sys/stat.h>

namespace {

// Blank-separated tokens of a file read in chunks: model files can have lines far longer than a
// text line reader keeps, and memory stays bounded whatever the file holds.
class CTokenStream {
public:
    CTokenStream(const std::string& path, const std::string& description)
        : m_path(path), m_description(description), m_file(std::fopen(path.c_str(), "rb"), &std::fclose)
    {
        if (!m_file) {
            if (errno == ENOENT)
                throw CEngineError("The " + description + " " + path + " does not exist.");
            throw CEngineError("The " + description + " " + path + " cannot be opened: " + std::strerror(errno) + ".");
        }
    }

    // The next token; empty at the end of the file. Of a token longer than any number only the
    // start is kept, followed by "...", so that it never reads as one.
    std::string_view Next()
    {
        m_token.clear();
        int c;
        while ((c = Get()) != EOF && std::isspace(c)) {
        }
        for (; c != EOF && !std::isspace(c); c = Get()) {
            if (m_token.size() < kMaxToken)
                m_token.push_back(static_cast<char>(c));
            else if (m_token.size() == kMaxToken)
                m_token += "...";
        }
        return m_token;
    }

private:
    static constexpr size_t kMaxToken = 400;

    int Get()
    {
        if (m_next == m_end) {
            m_next = 0;
            m_end = std::fread(m_buffer, 1, sizeof m_buffer, m_file.get());
            if (m_end == 0) {
                if (std::ferror(m_file.get()))
                    throw CEngineError("The " + m_description + " " + m_path + " cannot be read.");
                return EOF;
            }
        }
        return static_cast<unsigned char>(m_buffer[m_next++]);
    }

    std::string m_path, m_description;
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> m_file;
    char m_buffer[1 << 16];
    size_t m_next = 0, m_end = 0;
    std::string m_token;
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

void RequireRegularFile(const std::string& path, const std::string& description)
{
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) {
        if (errno == ENOENT)
            throw CEngineError("The " + description + " " + path + " does not exist.");
        throw CEngineError("The " + description + " " + path + " cannot be opened: " + std::strerror(errno) + ".");
    }
    if (!S_ISREG(st.st_mode))
        throw CEngineError("The " + description + " " + path + " is not a regular file.");
}

CCellValues ReadCellValues(const std::string& path, const char* what, int nx, int nz, const std::string& meshFile,
                           CRunLog& log)
{
    const std::string description = std::string(what) + " file";
    RequireRegularFile(path, description);
    CTokenStream tokens(path, description);
    int fileNx = 0, fileNz = 0;
    if (!ToInt(tokens.Next(), fileNx) || !ToInt(tokens.Next(), fileNz) || fileNx < 1 || fileNz < 1)
        throw CEngineError("The " + description + " " + path + " does not start with its numbers of columns and rows.");
    if (fileNx != nx || fileNz != nz)
        throw CEngineError(FormatC("The %s %s is made for %i x %i cells, but the mesh file %s has %i x %i: the "
                                   "model does not belong to this mesh.",
                                   description.c_str(), path.c_str(), fileNx, fileNz, meshFile.c_str(), nx, nz));
    CCellValues values(static_cast<size_t>(nx) * nz);
    for (size_t c = 0; c < values.size(); ++c) {
        const std::string_view token = tokens.Next();
        if (token.empty())
            throw CEngineError(FormatC("The %s %s ends after %zu of its %zu values.", description.c_str(), path.c_str(),
                                       c, values.size()));
        if (!ToDouble(token, values[c]))
            throw CEngineError(FormatC("The %s %s holds \"%.*s\" where the value of the cell in column %zu, row %zu "
                                       "is expected.",
                                       description.c_str(), path.c_str(),
                                       static_cast<int>(std::min<size_t>(token.size(), 40)), token.data(), c % nx + 1,
                                       c / nx + 1));
    }
    if (!tokens.Next().empty())
        log.Warning("The " + description + " " + path +
                    " holds more values than the mesh has cells; the rest is ignored.");
    return values;
}

void ReadTopography(const std::string& path, std::vector<double>& X, std::vector<double>& E, CRunLog& log)
{
    X.clear();
    E.clear();
    RequireRegularFile(path, "topography file");
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
        throw CEngineError(
            FormatC("The topography file %s announces %i points but holds %zu.", path.c_str(), count, X.size()));
    log.Info(FormatC("Topography: %s, %i points, elevations %g to %g", path.c_str(), count,
                     *std::min_element(E.begin(), E.end()), *std::max_element(E.begin(), E.end())));
}
