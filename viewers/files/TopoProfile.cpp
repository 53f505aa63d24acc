#include "files/TopoProfile.h"

#include "files/TextFile.h"
#include "platform/FileException.h"
#include "platform/StdioFile.h"
#include "platform/TextFormat.h"

#include <algorithm>

double CTopoProfile::ElevationAt(double position) const
{
    if (x.empty())
        return 0;
    if (position <= x.front())
        return elevation.front();
    if (position >= x.back())
        return elevation.back();
    const size_t j = static_cast<size_t>(std::upper_bound(x.begin(), x.end(), position) - x.begin());
    const double x0 = x[j - 1], x1 = x[j];
    if (x1 == x0)
        return elevation[j];
    return elevation[j - 1] + (elevation[j] - elevation[j - 1]) * (position - x0) / (x1 - x0);
}

std::string ReadTopoProfile(const std::string& path, CTopoProfile& profile)
{
    profile = CTopoProfile();
    CTopoProfile p;
    try {
        CStdioFile file(path, CStdioFile::modeRead);
        std::string line;
        int number = 0;
        auto nextLine = [&]() {
            while (file.ReadString(line)) {
                ++number;
                if (line.find_first_not_of(" \t") != std::string::npos)
                    return true;
            }
            return false;
        };
        if (!nextLine())
            return "The topography file is empty:\n" + path;
        int count = 0;
        double zero = 0;
        auto words = SplitWords(line);
        if (words.empty() || words.size() > 2 || !ParseIntC(words[0], count) || count < 1 ||
            (words.size() == 2 && !ParseDoubleC(words[1], zero)))
            return "The first line of the topography file should hold its number of points:\n" + path;
        for (int i = 0; i < count; ++i) {
            if (!nextLine())
                return FormatC("The topography file is cut short: it holds %i of its %i points:\n", i, count) + path;
            double x = 0, e = 0;
            words = SplitWords(line);
            if (words.size() != 2 || !ParseDoubleC(words[0], x) || !ParseDoubleC(words[1], e))
                return FormatC("Line %i of the topography file should hold two numbers, x and elevation:\n", number) +
                       path;
            if (!p.x.empty() && x < p.x.back())
                return FormatC("The points of the topography file go back to the left at line %i:\n", number) + path;
            p.x.push_back(x);
            p.elevation.push_back(e);
        }
        if (nextLine())
            return FormatC("The topography file holds more than its %i points:\n", count) + path;
        file.Close();
    } catch (const CFileException& e) {
        return OpenFailureMessage(path, "Topography file", e.m_osError);
    }
    profile = std::move(p);
    return "";
}
