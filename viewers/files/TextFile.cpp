#include "files/TextFile.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <memory>
#include <sys/stat.h>

std::string OpenFailureMessage(const std::string& path, const std::string& what, int error)
{
    if (error == ENOENT || error == ENOTDIR)
        return what + " not found:\n" + path;
    std::string lower = what;
    if (!lower.empty())
        lower[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(lower[0])));
    return "Cannot read the " + lower + ":\n" + path;
}

std::string ReadWholeFile(const std::string& path, const std::string& what, std::string& text)
{
    text.clear();
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"), &std::fclose);
    if (!file)
        return OpenFailureMessage(path, what, errno);
    struct stat st;
    if (::fstat(fileno(file.get()), &st) != 0 || S_ISDIR(st.st_mode))
        return OpenFailureMessage(path, what, EISDIR);
    if (S_ISREG(st.st_mode) && st.st_size > 0)
        text.reserve(static_cast<size_t>(st.st_size));
    char buffer[1 << 16];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file.get())) > 0)
        text.append(buffer, n);
    if (std::ferror(file.get()))
        return OpenFailureMessage(path, what, EIO);
    return "";
}

std::vector<std::string_view> SplitWords(std::string_view line)
{
    std::vector<std::string_view> words;
    size_t pos = 0;
    for (;;) {
        while (pos < line.size() && std::isspace(static_cast<unsigned char>(line[pos])))
            ++pos;
        if (pos >= line.size())
            return words;
        const size_t start = pos;
        while (pos < line.size() && !std::isspace(static_cast<unsigned char>(line[pos])))
            ++pos;
        words.push_back(line.substr(start, pos - start));
    }
}
