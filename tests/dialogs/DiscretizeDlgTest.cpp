// The Discretize dialog and the accuracy target of the forward type dialog driven through their
// real controls; the forward type itself is driven by the command test.
#include "dialogs/DiscretizeDlg.h"
#include "dialogs/DlgFwdType.h"
#include "support/MessageLog.h"
#include "support/ModalDriver.h"
#include "support/TempDir.h"

#include <QDialog>
#include <QFileDialog>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

namespace {

const char* const kHugeModels = "Warning: more than 4 cells between electrodes might\nproduce huge models.";
const char* const kAspect = "aspect ratio should be between 1 and 5.";
const char* const kCellSize = "Cell size should be positive.";
const char* const kLargeCell = "Warning: large cell size could give inaccurate results.";
const char* const kDzAboveDx = "Warning: dx should not be smaller than dz.";

// The values the command gives a fresh document with a core 200 wide.
void Fill(CDiscretizeDlg& dlg)
{
    dlg.m_settings.dx = 2, dlg.m_settings.dz = 1, dlg.m_coreWidth = 200;
}

// Each refusal keeps the dialog open with the focus in the field it names. The mesh file's
// reader refuses cells thinner than 1e-06.
TEST(DiscretizeDlg, ChecksRunInOrderAndOnlyTheChosenMeshOptionCounts)
{
    TempDir dir;
    const std::string mesh = dir.File("mesh.txt");
    WriteBytes(mesh, "not checked here");
    const std::string missing = dir.File("no such/mesh.txt");
    const std::string broken = dir.File("mesh\n1.txt"); // as a desktop may drop it
    WriteBytes(broken, "3\n");
    const std::string kThin = "Cell size should be at least 1e-06.";
    struct Row {
        const char* name;
        std::vector<Step> steps;
        std::vector<std::string> messages;
        int focus = 0;             // of a refusal; 0: accepted
        std::string meshFile = ""; // as the document gives it
    } rows[] = {
        {"a-spacing a quarter of the core", {{IDC_A_SPACING, "50"}}, {}},
        {"a-spacing just above a quarter", {{IDC_A_SPACING, "50.000001"}}, {"a-spacing is too huge."}, IDC_A_SPACING},
        {"too huge comes before n", {{IDC_A_SPACING, "60"}, {IDC_N, "0"}}, {"a-spacing is too huge."}, IDC_A_SPACING},
        {"a-spacing 0",
         {{IDC_A_SPACING, "0"}, {IDC_ASPECT, "9"}},
         {"a-spacing should be greater than 0."},
         IDC_A_SPACING},
        {"n 0", {{IDC_N, "0"}, {IDC_CELLS, "0"}}, {"n should be greater than 0."}, IDC_N},
        {"cells 0", {{IDC_CELLS, "0"}}, {"# of cells between electrodes should be greater than 1."}, IDC_CELLS},
        {"cells 1", {{IDC_CELLS, "1"}}, {}},
        {"cells 5", {{IDC_CELLS, "5"}}, {kHugeModels}},
        {"cells 5 and aspect 6", {{IDC_CELLS, "5"}, {IDC_ASPECT, "6"}}, {kHugeModels, kAspect}, IDC_ASPECT},
        {"aspect 0.99", {{IDC_ASPECT, "0.99"}}, {kAspect}, IDC_ASPECT},
        {"aspect 1", {{IDC_ASPECT, "1"}}, {}},
        {"aspect 5", {{IDC_ASPECT, "5"}}, {}},
        {"aspect 5.01", {{IDC_ASPECT, "5.01"}}, {kAspect}, IDC_ASPECT},
        {"m2 with aspect 9 and cells 0 left in m1", {{IDC_ASPECT, "9"}, {IDC_CELLS, "0"}, {IDC_MESH_M2}}, {}},
        {"m2 dx 0", {{IDC_MESH_M2}, {IDC_DX, "0"}}, {kCellSize}, IDC_DX},
        {"m2 dz -1", {{IDC_MESH_M2}, {IDC_DZ, "-1"}}, {kCellSize}, IDC_DZ},
        {"m2 dx and dz at their least", {{IDC_MESH_M2}, {IDC_DX, "1e-06"}, {IDC_DZ, "1e-06"}}, {}},
        {"m2 dx below", {{IDC_MESH_M2}, {IDC_DX, "9.99e-07"}, {IDC_DZ, "1e-06"}}, {kThin}, IDC_DX},
        {"m2 dz below", {{IDC_MESH_M2}, {IDC_DZ, "9.99e-07"}, {IDC_DX, "1"}}, {kThin}, IDC_DZ},
        {"m2 dx half the a-spacing", {{IDC_MESH_M2}, {IDC_DX, "5"}}, {}},
        {"m2 dx above half the a-spacing", {{IDC_MESH_M2}, {IDC_DX, "5.5"}}, {kLargeCell}},
        {"m2 both warnings", {{IDC_MESH_M2}, {IDC_DX, "6"}, {IDC_DZ, "7"}}, {kLargeCell, kDzAboveDx}},
        {"existing mesh empty", {{IDC_MESH_EXISTING}}, {"Mesh file is missing."}, IDC_MESH_FILE},
        {"existing mesh not there",
         {{IDC_MESH_EXISTING}, {IDC_MESH_FILE, missing.c_str()}},
         {"Mesh file:\n" + missing + "\nnot found."},
         IDC_MESH_FILE},
        {"existing mesh with a line break",
         {{IDC_MESH_EXISTING}},
         {"Mesh file:\n" + broken + "\nholds a line break, which the forward-modelling input file cannot hold."},
         IDC_MESH_FILE,
         broken},
        {"existing mesh with m1 and m2 fields out of range",
         {{IDC_CELLS, "0"}, {IDC_MESH_M2}, {IDC_DX, "0"}, {IDC_MESH_EXISTING}, {IDC_MESH_FILE, mesh.c_str()}},
         {}},
        {"protocol file empty", {{IDC_ARRAY_PROTOCOL}}, {"Protocol file is missing."}, IDC_PROTOCOL_FILE},
        {"protocol file not there",
         {{IDC_ARRAY_PROTOCOL}, {IDC_PROTOCOL_FILE, missing.c_str()}},
         {"Protocol file:\n" + missing + "\nnot found."},
         IDC_PROTOCOL_FILE},
        {"protocol file there", {{IDC_ARRAY_PROTOCOL}, {IDC_PROTOCOL_FILE, mesh.c_str()}}, {}},
        {"protocol file not chosen", {{IDC_ARRAY_PROTOCOL}, {IDC_ARRAY_GRADIENT}}, {}},
        {"n empty", {{IDC_N, ""}}, {"Enter an integer."}, IDC_N},
        {"m2 dx with a comma", {{IDC_MESH_M2}, {IDC_DX, "1,5"}}, {"Enter a number."}, IDC_DX},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        MessageLog log;
        CDiscretizeDlg dlg;
        Fill(dlg);
        dlg.m_settings.existingMesh = row.meshFile;
        int focus = -1;
        EXPECT_EQ(RunDialog(dlg, row.steps, {}, &focus), row.focus ? IDCANCEL : IDOK);
        EXPECT_EQ(log.Texts(), row.messages);
        EXPECT_EQ(focus, row.focus);
        for (const MessageLog::Box& box : log.Boxes())
            EXPECT_EQ(box.style, MB_OK);
    }
}

// Only the chosen option's fields can be edited, from the start and after every click.
TEST(DiscretizeDlg, EachMeshOptionEnablesOnlyItsOwnFields)
{
    auto expectEnabled = [](QDialog* d, int option, int when) {
        const std::pair<int, int> owners[] = {{IDC_CELLS, 0}, {IDC_ASPECT, 0},    {IDC_DX, 1},
                                              {IDC_DZ, 1},    {IDC_MESH_FILE, 2}, {IDC_BROWSE, 2}};
        for (auto [id, owner] : owners)
            EXPECT_EQ(DialogItem(d, id)->isEnabled(), owner == option) << "at " << when << ", control " << id;
    };
    for (int preset : {0, 1, 2}) {
        CDiscretizeDlg dlg;
        Fill(dlg);
        dlg.m_settings.mesh = EMeshOption(preset);
        RunDialog(dlg, {}, [&](QDialog* d) {
            expectEnabled(d, preset, -1);
            for (auto [radio, option] : {std::pair{IDC_MESH_M2, 1}, {IDC_MESH_EXISTING, 2}, {IDC_MESH_M1, 0}}) {
                ClickItem(d, radio);
                expectEnabled(d, option, radio);
            }
        });
    }
}

// A drop takes the first file and selects its name; Browse fills the same field and leaves a
// value typed elsewhere, not yet taken in, as it is.
TEST(DiscretizeDlg, ADroppedOrBrowsedFileFillsOnlyTheMeshField)
{
    TempDir dir;
    const std::string mesh = dir.File("mesh one.txt");
    WriteBytes(mesh, "3\n");
    MessageLog log;
    CDiscretizeDlg dlg;
    Fill(dlg);
    EXPECT_EQ(RunDialog(dlg, {},
                        [&](QDialog* d) {
                            Do(d, {{IDC_A_SPACING, "12"}, {IDC_MESH_EXISTING}});
                            auto* edit = qobject_cast<QLineEdit*>(DialogItem(d, IDC_MESH_FILE));
                            ASSERT_NE(edit, nullptr);
                            DropFiles(edit, {"/data/dir\\with\\mesh.txt", "/data/other.txt"});
                            EXPECT_EQ(edit->text(), "/data/dir\\with\\mesh.txt");
                            EXPECT_EQ(edit->selectedText(), "dir\\with\\mesh.txt");
                            EXPECT_EQ(d->focusWidget(), edit);

                            ModalAnswer open = OnModal<QFileDialog>([&](QFileDialog* f) {
                                EXPECT_EQ(f->windowTitle(), "Open mesh file");
                                EXPECT_EQ(f->nameFilters(), QStringList{"Mesh (*)"});
                                auto* name = f->findChild<QLineEdit*>("fileNameEdit");
                                ASSERT_NE(name, nullptr);
                                name->setFocus();
                                name->setText(QString::fromStdString(mesh));
                                QTest::keyClick(name, Qt::Key_Return);
                            });
                            ClickItem(d, IDC_BROWSE);
                            EXPECT_TRUE(open.Answered());
                            EXPECT_EQ(edit->text().toStdString(), mesh);
                            EXPECT_EQ(DialogItemText(d, IDC_A_SPACING), "12");
                        }),
              IDOK);
    EXPECT_EQ(dlg.m_settings.existingMesh, mesh);
    EXPECT_EQ(dlg.m_settings.aSpacing, 12);
    EXPECT_TRUE(log.Empty());
}

// The target takes what the batch mode's --accuracy takes; a refusal keeps the dialog open and
// the earlier target.
TEST(DlgFwdType, TheAccuracyTargetIsAPercentageUpTo100OrOff)
{
    const std::string refused = "Enter a percentage above 0 and at most 100, or off.";
    // Each side of the range; the parser's other refusals are the program's own tests.
    const std::pair<const char*, double> rows[] = {{"0.001", 0.001}, {"100", 100},  {"off", 0},
                                                   {"0", -1},        {"100.5", -1}, {"", -1}};
    for (const auto& [typed, taken] : rows) {
        SCOPED_TRACE(typed);
        MessageLog log;
        CDlgFwdType dlg;
        dlg.m_accuracyPercent = 7;
        EXPECT_EQ(RunDialog(dlg, {{IDC_FWD_ACCURACY, typed}}), taken < 0 ? IDCANCEL : IDOK);
        EXPECT_EQ(log.Texts(), taken < 0 ? std::vector<std::string>{refused} : std::vector<std::string>{});
        EXPECT_EQ(dlg.m_accuracyPercent, taken < 0 ? 7 : taken);
    }
    CDlgFwdType off;
    off.m_accuracyPercent = 0;
    EXPECT_EQ(RunDialog(off, {}, [](QDialog* d) { EXPECT_EQ(DialogItemText(d, IDC_FWD_ACCURACY), "off"); }), IDOK);
    EXPECT_EQ(off.m_accuracyPercent, 0);
    // The sensitivities, off until asked for, and kept as asked.
    EXPECT_FALSE(off.m_sensitivities);
    EXPECT_EQ(RunDialog(off, {{IDC_FWD_SENSITIVITY}}), IDOK);
    EXPECT_TRUE(off.m_sensitivities);
}

} // namespace
