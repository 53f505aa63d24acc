#pragma once

#include <stdexcept>
#include <string>

// A file a reader refuses, or a record a writer cannot put into its file: the file, the line
// (0: the file as a whole) and the reason, a clause without a final period ("the positions must
// increase, but 5 follows 10"; for the whole file one with a subject, "it holds no data").
// what() gives the message for the user: the file on one line, then "Line 3: reason.".
class CFormatError : public std::runtime_error {
public:
    CFormatError(const std::string& file, int line, const std::string& reason);

    const std::string& File() const { return m_file; }
    int Line() const { return m_line; }
    const std::string& Reason() const { return m_reason; }

private:
    std::string m_file;
    int m_line;
    std::string m_reason;
};
