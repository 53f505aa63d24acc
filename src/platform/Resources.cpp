#include "platform/Resources.h"

namespace {

std::vector<StringEntry>& Table()
{
    static std::vector<StringEntry> table;
    return table;
}

} // namespace

void AfxSetStringTable(std::vector<StringEntry> table)
{
    Table() = std::move(table);
}

std::string AfxLoadString(unsigned id)
{
    for (const StringEntry& e : Table())
        if (e.id == id)
            return e.text;
    return "";
}

std::string CommandPrompt(unsigned id)
{
    std::string s = AfxLoadString(id);
    return s.substr(0, s.find('\n'));
}

std::string CommandTooltip(unsigned id)
{
    std::string s = AfxLoadString(id);
    size_t nl = s.find('\n');
    return nl == std::string::npos ? std::string() : s.substr(nl + 1);
}

std::string DocStringField(const char* docStrings, int index)
{
    std::string s = docStrings ? docStrings : "";
    size_t start = 0;
    for (int i = 0; i < index; ++i) {
        size_t nl = s.find('\n', start);
        if (nl == std::string::npos)
            return "";
        start = nl + 1;
    }
    return s.substr(start, s.find('\n', start) - start);
}
