#pragma once

#include "platform/Process.h"
#include "support/TempDir.h"

#include <unistd.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

// Copies of the stand-in programs under the names of the programs they replace, in a folder that
// is the program folder while this lives.
class StandIns {
public:
    explicit StandIns(std::initializer_list<const char*> names = {}) : m_previous(GetProgramFolder())
    {
        for (const char* name : names)
            Add(name);
        SetProgramFolder(m_dir.Path());
    }
    ~StandIns() { SetProgramFolder(m_previous); }

    void Add(const std::string& name, const char* program = VMM_STANDIN)
    {
        std::filesystem::copy_file(program, m_dir.File(name));
    }
    const std::string& Path() const { return m_dir.Path(); }

private:
    std::string m_previous;
    TempDir m_dir;
};

using Args = std::vector<std::string>; // one started stand-in's arguments, its name first

inline std::vector<Args> RecordedRuns(const std::string& folder)
{
    std::vector<Args> runs(1);
    std::istringstream in(ReadBytes(folder + "/standin-args.txt"));
    for (std::string line; std::getline(in, line);) {
        if (line == "--")
            runs.emplace_back();
        else
            runs.back().push_back(line);
    }
    runs.pop_back(); // the one begun after the last "--"
    return runs;
}

// The runs recorded in folder once there are count of them; programs started without waiting
// record theirs a little later. Gives up after half a minute.
inline std::vector<Args> WaitForRuns(const std::string& folder, size_t count)
{
    std::vector<Args> runs;
    for (int i = 0; i < 3000; ++i) {
        if ((runs = RecordedRuns(folder)).size() >= count)
            break;
        ::usleep(10000);
    }
    return runs;
}
