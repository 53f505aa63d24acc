#include "formats/Text.h"

#include "formats/FormatError.h"
#include "platform/FileException.h"
#include "platform/TextFormat.h"

#include <cerrno>
#include <charconv>
#include <climits>
#include <cmath>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

void RefuseUnlessRegular(const std::string& path, const struct stat& st)
{
    if (S_ISDIR(st.st_mode))
        throw CFormatError(path, 0, "it is a folder, not a file");
    if (!S_ISREG(st.st_mode))
        throw CFormatError(path, 0, "it is not a regular file but a device or a named pipe");
}

void RefuseLarger(const std::string& path, long long size, size_t maxBytes)
{
    if (size >= 0 && static_cast<unsigned long long>(size) > maxBytes)
        throw CFormatError(path, 0,
                           FormatC("it is larger than %zu MB, more than any such file can need", maxBytes >> 20));
}

class CFileDescriptor {
public:
    explicit CFileDescriptor(int fd) : m_fd(fd) {}
    ~CFileDescriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    CFileDescriptor(const CFileDescriptor&) = delete;
    CFileDescriptor& operator=(const CFileDescriptor&) = delete;
    int Get() const { return m_fd; }

private:
    int m_fd;
};

// Instrument software often starts a text file with UTF-8's byte-order mark.
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

std::string Read(const std::string& path, size_t maxBytes, bool whole)
{
    // A device or a named pipe could block or never end: look before opening.
    struct stat st;
    if (::stat(path.c_str(), &st) != 0)
        throw CFileException::FromErrno(errno, path, false);
    RefuseUnlessRegular(path, st);
    if (whole)
        RefuseLarger(path, st.st_size, maxBytes + kByteOrderMark.size());
    // Not blocking, and looked at again, in case the name changed hands in between.
    CFileDescriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (fd.Get() < 0)
        throw CFileException::FromErrno(errno, path, false);
    if (::fstat(fd.Get(), &st) != 0)
        throw CFileException::FromErrno(errno, path, false);
    RefuseUnlessRegular(path, st);

    std::string text;
    text.reserve(std::min(static_cast<size_t>(std::max<off_t>(st.st_size, 0)), maxBytes) + 1);
    char buffer[1 << 16];
    bool markSkipped = false;
    for (;;) {
        const ssize_t n = ::read(fd.Get(), buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw CFileException::FromErrno(errno, path, false);
        }
        if (n == 0)
            break;
        text.append(buffer, static_cast<size_t>(n));
        if (!markSkipped && text.size() >= kByteOrderMark.size()) {
            markSkipped = true;
            if (text.starts_with(kByteOrderMark))
                text.erase(0, kByteOrderMark.size());
        }
        if (text.size() > maxBytes) {
            if (!whole) {
                text.resize(maxBytes);
                break;
            }
            RefuseLarger(path, static_cast<long long>(text.size()), maxBytes); // it grew while read
        }
    }
    return text;
}

} // namespace

std::string ReadTextFile(const std::string& path, size_t maxBytes)
{
    return Read(path, maxBytes, true);
}

std::string ReadTextFileStart(const std::string& path, size_t maxBytes)
{
    return Read(path, maxBytes, false);
}

bool CLines::Next(std::string_view& line)
{
    if (m_pos >= m_text.size())
        return false;
    size_t end = m_text.find('\n', m_pos);
    if (end == std::string_view::npos)
        end = m_text.size();
    line = m_text.substr(m_pos, end - m_pos);
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    m_pos = end + 1;
    ++m_number;
    return true;
}

bool CTokens::Next(std::string_view& token)
{
    while (m_pos < m_text.size() && IsBlank(m_text[m_pos])) {
        if (m_text[m_pos] == '\n' && m_pos + 1 < m_text.size())
            ++m_line;
        ++m_pos;
    }
    if (m_pos >= m_text.size())
        return false;
    const size_t start = m_pos;
    while (m_pos < m_text.size() && !IsBlank(m_text[m_pos]))
        ++m_pos;
    token = m_text.substr(start, m_pos - start);
    return true;
}

bool IsBlankLine(std::string_view line)
{
    return FirstNonBlank(line) == 0;
}

char FirstNonBlank(std::string_view line)
{
    for (char c : line)
        if (!IsBlank(c))
            return c;
    return 0;
}

namespace {

// from_chars never looks at the locale and is fast enough for files of millions of values; it
// takes no '+', which C's readers do.
template <class T>
bool ParseFloating(std::string_view token, T& value)
{
    if (token.size() > 1 && token.front() == '+' && token[1] != '-' && token[1] != '+')
        token.remove_prefix(1);
    const char* end = token.data() + token.size();
    T v{};
    auto [ptr, ec] = std::from_chars(token.data(), end, v);
    if (ec != std::errc() || ptr != end || !std::isfinite(v))
        return false;
    value = v;
    return true;
}

} // namespace

bool ParseNumber(std::string_view token, double& value)
{
    return ParseFloating(token, value);
}

bool ParseNumber(std::string_view token, float& value)
{
    return ParseFloating(token, value);
}

bool ParseInteger(std::string_view token, int& value, int base)
{
    bool negative = false;
    if (!token.empty() && (token.front() == '+' || token.front() == '-')) {
        negative = token.front() == '-';
        token.remove_prefix(1);
    }
    if (base == 0) {
        if (token.size() > 2 && token[0] == '0' && (token[1] == 'x' || token[1] == 'X')) {
            base = 16;
            token.remove_prefix(2);
        } else {
            base = token.size() > 1 && token[0] == '0' ? 8 : 10;
        }
    }
    if (token.empty() || token.front() == '+' || token.front() == '-')
        return false;
    long long v = 0;
    const char* end = token.data() + token.size();
    auto [ptr, ec] = std::from_chars(token.data(), end, v, base);
    if (ec != std::errc() || ptr != end)
        return false;
    v = negative ? -v : v;
    if (v < INT_MIN || v > INT_MAX)
        return false;
    value = static_cast<int>(v);
    return true;
}

namespace {

template <class T>
void AppendShortest(std::string& out, T value, int most)
{
    char buffer[64];
    for (int digits = 6;; ++digits) {
        auto result = std::to_chars(buffer, buffer + sizeof buffer, static_cast<double>(value),
                                    std::chars_format::general, digits);
        T back{};
        std::from_chars(buffer, result.ptr, back);
        if (back == value || digits >= most || !std::isfinite(value)) {
            out.append(buffer, result.ptr);
            return;
        }
    }
}

} // namespace

void AppendExact(std::string& out, double value)
{
    AppendShortest(out, value, 17);
}

void AppendExact(std::string& out, float value)
{
    AppendShortest(out, value, 9);
}

std::string Exact(double value)
{
    std::string text;
    AppendExact(text, value);
    return text;
}

std::string Quoted(std::string_view token)
{
    constexpr size_t kLongest = 40;
    return "\"" + std::string(token.substr(0, kLongest)) + (token.size() > kLongest ? "...\"" : "\"");
}
