#include "files/DataFile.h"

#include "files/TextFile.h"
#include "platform/FileException.h"
#include "platform/StdioFile.h"
#include "platform/TextFormat.h"

namespace {

bool IsComment(std::string_view line)
{
    const size_t first = line.find_first_not_of(" \t");
    return first != std::string_view::npos && line[first] == '!';
}

std::string Quoted(const std::string& line)
{
    return "\"" + (line.size() > 60 ? line.substr(0, 60) + "..." : line) + "\"";
}

} // namespace

std::string ReadDataFile(const std::string& path, bool ip, CDataSet& set)
{
    set = CDataSet();
    set.ip = ip;
    const size_t fields = ip ? 5 : 6;
    const char* const names = ip ? "A B M N eta_a" : "A B M N V/I rho_a";
    try {
        CStdioFile file(path, CStdioFile::modeRead);
        std::string line;
        for (int number = 1; file.ReadString(line); ++number) {
            const auto words = SplitWords(line);
            if (words.empty() || IsComment(line))
                continue;
            double v[6] = {};
            bool numbers = words.size() == fields;
            for (size_t i = 0; numbers && i < fields; ++i)
                numbers = ParseDoubleC(words[i], v[i]);
            if (!numbers) {
                std::string message =
                    FormatC("Line %i of the data file should hold %zu numbers (%s), not:\n", number, fields, names) +
                    Quoted(line) + "\n" + path;
                if (words.size() == 11 - fields)
                    message += ip ? "\nIt looks like DC data: start the viewer with /dc."
                                  : "\nIt looks like IP data: start the viewer with /ip.";
                set = CDataSet();
                return message;
            }
            CDatum d;
            d.a = v[0];
            d.b = v[1];
            d.m = v[2];
            d.n = v[3];
            if (ip) {
                d.value = v[4];
            } else {
                d.vi = v[4];
                d.value = v[5];
            }
            d.line = number;
            set.data.push_back(d);
        }
        file.Close();
    } catch (const CFileException& e) {
        set = CDataSet();
        return OpenFailureMessage(path, "Data file", e.m_osError);
    }
    if (set.data.empty())
        return "The data file holds no data:\n" + path;
    return "";
}
