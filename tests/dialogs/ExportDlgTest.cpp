// The Export data dialog driven through its real controls.
#include "dialogs/ExportDlg.h"
#include "support/MessageLog.h"
#include "support/ModalDriver.h"

#include <gtest/gtest.h>

namespace {

TEST(ExportDlg, ChecksTheNoiseAndTheFileAndTheProposedNameFollowsTheFormat)
{
    const struct {
        const char* name;
        std::vector<Step> steps;
        std::vector<std::string> messages;
        int focus = 0; // after a refusal
    } rows[] = {
        {"as proposed", {}, {}},
        {"negative relative noise",
         {{IDC_EXPORT_RELATIVE, "-1"}},
         {"Noise should not be negative."},
         IDC_EXPORT_RELATIVE},
        {"no current",
         {{IDC_EXPORT_CURRENT, "0"}, {IDC_EXPORT_FILE, "x"}},
         {"Current should be greater than 0."},
         IDC_EXPORT_CURRENT},
        {"no phase factor", {{IDC_EXPORT_PHASE, "0"}}, {"Phase factor should be greater than 0."}, IDC_EXPORT_PHASE},
        {"no file", {{IDC_EXPORT_FILE, ""}, {IDC_EXPORT_SEED, "1"}}, {"File name is missing."}, IDC_EXPORT_FILE},
        // Each limit on each side: beyond it the noise or the phase would overflow the files.
        {"relative noise at its limit", {{IDC_EXPORT_RELATIVE, "100"}}, {}},
        {"relative noise beyond",
         {{IDC_EXPORT_RELATIVE, "100.01"}},
         {"Relative noise should be at most 100 %."},
         IDC_EXPORT_RELATIVE},
        {"floor at its limit", {{IDC_EXPORT_FLOOR, "1000000"}}, {}},
        {"floor beyond",
         {{IDC_EXPORT_FLOOR, "1000001"}},
         {"Noise floor should be at most 1e+06 mV."},
         IDC_EXPORT_FLOOR},
        {"IP noise at its limit", {{IDC_EXPORT_IP, "1000"}}, {}},
        {"IP noise beyond", {{IDC_EXPORT_IP, "1000.1"}}, {"IP noise should be at most 1000 mV/V."}, IDC_EXPORT_IP},
        {"least current", {{IDC_EXPORT_CURRENT, "0.000001"}}, {}},
        {"current below",
         {{IDC_EXPORT_CURRENT, "0.00000099"}},
         {"Current should be between 1e-06 and 1000 A."},
         IDC_EXPORT_CURRENT},
        {"most current", {{IDC_EXPORT_CURRENT, "1000"}}, {}},
        {"current above",
         {{IDC_EXPORT_CURRENT, "1000.5"}},
         {"Current should be between 1e-06 and 1000 A."},
         IDC_EXPORT_CURRENT},
        {"phase factor at its limit", {{IDC_EXPORT_PHASE, "1000"}}, {}},
        {"phase factor beyond",
         {{IDC_EXPORT_PHASE, "1000.5"}},
         {"Phase factor should be at most 1000."},
         IDC_EXPORT_PHASE},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        MessageLog log;
        CExportDlg dlg;
        dlg.m_settings.path = "/data/line 1/predicted.ohm";
        int focus = -1;
        EXPECT_EQ(RunDialog(dlg, row.steps, {}, &focus), row.messages.empty() ? IDOK : IDCANCEL);
        EXPECT_EQ(log.Texts(), row.messages);
        EXPECT_EQ(focus, row.focus);
    }

    // The proposed name follows the format; a name of the user's own stays.
    CExportDlg dlg;
    dlg.m_settings.path = "/data/line 1/predicted.ohm";
    RunDialog(dlg, {{IDC_EXPORT_R2}});
    EXPECT_EQ(dlg.m_settings.path, "/data/line 1/protocol.dat");
    EXPECT_EQ(dlg.m_settings.format, EExportFormat::r2);
    RunDialog(dlg, {{IDC_EXPORT_FILE, "mine.txt"}, {IDC_EXPORT_RESIPY}});
    EXPECT_EQ(dlg.m_settings.path, "mine.txt");
    EXPECT_EQ(dlg.m_settings.format, EExportFormat::res2dinvResipy);
    EXPECT_EQ(dlg.m_settings.noise.seed, 0u);
    EXPECT_EQ(RunDialog(dlg, {{IDC_EXPORT_R2}, {IDC_EXPORT_MODELLING_ERROR}}), IDOK);
    EXPECT_TRUE(dlg.m_settings.addModellingError);
}

} // namespace
