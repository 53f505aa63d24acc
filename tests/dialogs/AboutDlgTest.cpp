// The About box links pages that exist.
#include "dialogs/AboutDlg.h"
#include "platform/FilePath.h"
#include "platform/Process.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace {

TEST(AboutDlg, TheTutorialsLineLinksTheManualsSectionWhereverTheManualLies)
{
    const std::string section = "### Exporting the data for an inversion";
    TempDir program;
    SetProgramFolder(program.Path());
    for (bool beside : {false, true}) {
        SCOPED_TRACE(beside ? "a manual beside the program" : "none beside it: the source tree's");
        if (beside)
            WriteBytes(program.File("README.md"), "# Velquor Model Maker\n" + section + "\n");
        const std::string info = CAboutDlg().m_strInfo;
        const std::string label = "Inversion tutorials (web): file://";
        ASSERT_NE(info.find(label), std::string::npos);
        const std::string link = info.substr(info.find(label) + label.size());
        const std::string file = link.substr(0, link.find('#'));
        EXPECT_EQ(link.substr(file.size()), "#exporting-the-data-for-an-inversion");
        EXPECT_EQ(file == program.File("README.md"), beside);
        EXPECT_TRUE(FileExists(file) && ReadBytes(file).find(section) != std::string::npos);
    }
    SetProgramFolder("");
}

} // namespace
