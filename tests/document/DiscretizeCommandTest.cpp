// Data > discretize end to end in a temporary folder, its dialogs answered through their controls.
#include "app/Batch.h"
#include "dialogs/DiscretizeDlg.h"
#include "dialogs/DlgFwdType.h"
#include "document/SectomatDoc.h"
#include "formats/LocationsFile.h"
#include "forward/ForwardInput.h"
#include "platform/TextFormat.h"
#include "support/MessageLog.h"
#include "support/ModalDriver.h"
#include "support/TempDir.h"

#include <QAbstractButton>
#include <QDialog>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <optional>
#include <sstream>
#include <tuple>
#include <unistd.h>

namespace {

const std::vector<std::string> kDefaultSummary = {"Created locations file: loc2d.txt",
                                                  "number of transmitters: 19",
                                                  "number of data: 99",
                                                  "",
                                                  "Created mesh file: mesh2d.txt",
                                                  "smallest cell size: 3.33333 x 1.66667",
                                                  "total number of cells: 82 x 35 = 2870",
                                                  "",
                                                  "number of air cells: 0",
                                                  "number of ground cells: 2870",
                                                  "",
                                                  "Created conductivity file: model2d.con"};

// The start of the default model's mesh file.
const char* const kDefaultMeshHead = "23\r\n-174.2 -117.2 1\r\n    -79.27 1\r\n";

bool Checked(QDialog* d, int id)
{
    auto* button = qobject_cast<QAbstractButton*>(DialogItem(d, id));
    return button && button->isChecked();
}

using Answer = std::function<void(QDialog*)>;

const Answer PressOk = [](QDialog* d) { ClickItem(d, IDOK); };

// Answers the dialog with this title; without an answer it must not show up.
ModalAnswer On(const char* title, const Answer& answer)
{
    return ModalAnswer([title](QWidget* w) { return qobject_cast<QDialog*>(w) && w->windowTitle() == title; },
                       [answer](QWidget* w) {
                           if (!answer)
                               ADD_FAILURE() << "unexpected dialog " << w->windowTitle().toStdString();
                           answer ? answer(static_cast<QDialog*>(w)) : static_cast<QDialog*>(w)->reject();
                       },
                       bool(answer));
}

void Discretize(CSectomatDoc& doc, const Answer& discretize = PressOk, const Answer& fwdType = PressOk)
{
    ModalAnswer first = On("Discretize model", discretize);
    ModalAnswer second = On("Type of 2D Forwad Modelling", fwdType);
    doc.OnDiscretize();
    EXPECT_EQ(first.Answered(), bool(discretize));
    EXPECT_EQ(second.Answered(), bool(fwdType));
}

// A document with the default model of a new file, saved in its own current folder.
struct Scene {
    TempDir dir;
    CurrentDirGuard cwd{dir.Path()};
    CSectomatDoc doc;

    Scene() { doc.m_topo = {CTopoPt(0, 0), CTopoPt(200, 0)}; }
    void Save() { ASSERT_TRUE(doc.WriteModel(dir.File("model.txt"))); }
    void AddValley()
    {
        doc.m_topo = {CTopoPt(0, 0), CTopoPt(100, 5), CTopoPt(200, 0)};
        doc.m_bTopography = true;
    }
    void AddBlock(CElementList& blocks, float value) { blocks.emplace_back(40, 10, 80, 20, value, 0); }
    std::vector<std::string> Files() const { return FileNames(dir.Path()); }
    std::string Read(const char* name) const { return ReadBytes(dir.File(name)); }
};

// An unsaved model is refused before anything else and earlier results are asked about. The
// files' contents are checked where they are written; here, that they are written at all.
TEST(DiscretizeCommand, RefusesAnUnsavedModelAsksAboutEarlierResultsThenWritesTheFiles)
{
    MessageLog log;
    Scene s;
    s.Save();
    WriteBytes(s.dir.File("obs_dc.dat"), "old");
    s.doc.SetModifiedFlag();
    Discretize(s.doc, nullptr, nullptr); // the log answers Cancel
    EXPECT_EQ(log.Texts(), std::vector<std::string>{"Save the model before discretizing it."});
    EXPECT_EQ(log.Boxes().at(0).style, MB_OKCANCEL | MB_ICONQUESTION);
    EXPECT_TRUE(s.doc.IsModified());

    // OK saves the model where it was and goes on to the next question.
    log.Clear();
    log.Answer(IDOK);
    s.doc.m_dcBackground = -2.5f;
    Discretize(s.doc, nullptr, nullptr);
    EXPECT_FALSE(s.doc.IsModified());
    EXPECT_EQ(Lines(s.Read("model.txt")).at(1).rfind("0 -2.5", 0), 0u);
    s.doc.m_dcBackground = -3;
    s.Save();

    log.Clear();
    const std::string question =
        "Forward modeling has already been done in this folder.\nDo you want to erase previous results?";
    Discretize(s.doc, nullptr, nullptr); // the log answers No
    EXPECT_EQ(log.Texts(), std::vector<std::string>{question});
    EXPECT_EQ(log.Boxes().at(0).style, MB_YESNO | MB_ICONQUESTION);
    EXPECT_EQ(s.doc.m_discretize.dx, -1);
    EXPECT_EQ(s.Files(), (std::vector<std::string>{"model.txt", "obs_dc.dat"}));

    // Yes erases every result of the earlier run, so that none of another survey stays.
    log.Clear();
    log.Answer(IDYES);
    for (const char* name : {"obs_ip.dat", "obs_ipL.dat", "ferrovan.inp", "ferrovan.log"})
        WriteBytes(s.dir.File(name), "old");
    Discretize(s.doc);
    ASSERT_EQ(log.Boxes().size(), 2u);
    EXPECT_EQ(Lines(log.Last()), kDefaultSummary);
    EXPECT_EQ(log.Boxes()[1].style, MB_ICONINFORMATION);
    EXPECT_TRUE(s.doc.m_bDiscretized && !s.doc.IsModified() && !s.doc.m_meshShapes.surface.empty());
    EXPECT_EQ(s.Files(),
              (std::vector<std::string>{"ferrovan.lock", "loc2d.txt", "mesh2d.txt", "model.txt", "model2d.con"}));
    EXPECT_EQ(s.Read("mesh2d.txt").rfind(kDefaultMeshHead, 0), 0u);
    EXPECT_EQ(s.Read("model2d.con").rfind("82 35\r\n0.001 0.001 ", 0), 0u) << "the background as a conductivity";
}

TEST(DiscretizeCommand, CancelInTheDiscretizeDialogKeepsOnlyTheProposedCellSize)
{
    MessageLog log;
    Scene s;
    s.Save();
    s.doc.m_bDiscretized = s.doc.m_bForwardDone = true;
    Discretize(
        s.doc,
        [](QDialog* d) {
            for (auto [id, text] : {std::pair{IDC_DX, "2"},
                                    {IDC_DZ, "1"},
                                    {IDC_N, "6"},
                                    {IDC_A_SPACING, "10"},
                                    {IDC_CELLS, "3"},
                                    {IDC_ASPECT, "2"}})
                EXPECT_EQ(DialogItemText(d, id), text) << id;
            EXPECT_TRUE(Checked(d, IDC_ARRAY_POLE_DIPOLE_R) && Checked(d, IDC_MESH_M1));
            TypeInto(d, IDC_N, "3");
            ClickItem(d, IDCANCEL);
        },
        nullptr);
    EXPECT_EQ((std::vector<double>{s.doc.m_discretize.dx, s.doc.m_discretize.dz, double(s.doc.m_discretize.n)}),
              (std::vector<double>{2, 1, 6}));
    EXPECT_TRUE(s.doc.m_bDiscretized && s.doc.m_bForwardDone);
    EXPECT_EQ(s.Files(), std::vector<std::string>{"model.txt"});
    EXPECT_TRUE(log.Empty());
}

TEST(DiscretizeCommand, CancelInTheForwardTypeDialogStoresTheDiscretizeValuesOnly)
{
    MessageLog log;
    Scene s;
    s.Save();
    s.doc.m_discretize.forward = EForwardType::dcIpl;
    s.doc.m_bDiscretized = s.doc.m_bForwardDone = true;
    Discretize(
        s.doc,
        [](QDialog* d) {
            Do(d, {{IDC_A_SPACING, "50"},
                   {IDC_N, "3"},
                   {IDC_ARRAY_DIPOLE_DIPOLE},
                   {IDC_MESH_M2},
                   {IDC_DX, "4"},
                   {IDC_DZ, "2"},
                   {IDOK}});
        },
        [](QDialog* d) {
            EXPECT_TRUE(Checked(d, IDC_FWD_DC_IPL));
            Do(d, {{IDC_FWD_DC}, {IDCANCEL}});
        });
    EXPECT_TRUE(log.Empty());
    EXPECT_EQ((std::vector<double>{s.doc.m_discretize.aSpacing, double(s.doc.m_discretize.n),
                                   double(s.doc.m_discretize.array), double(s.doc.m_discretize.mesh),
                                   s.doc.m_discretize.dx, s.doc.m_discretize.dz, double(s.doc.m_discretize.forward)}),
              (std::vector<double>{50, 3, 1, 1, 4, 2, 2}));
    EXPECT_FALSE(s.doc.m_bDiscretized || s.doc.m_bForwardDone || s.doc.IsModified());
    EXPECT_EQ(s.Files(), std::vector<std::string>{"model.txt"});
}

TEST(DiscretizeCommand, AnExistingMeshIsNamedAndKeptAndTheNextM1RunWritesMesh2dAgain)
{
    MessageLog log;
    Scene s;
    s.Save();
    TempDir other;
    std::filesystem::create_directory(other.File("my meshes"));
    const std::string mesh = other.File("my meshes/mesh.txt");
    const std::string bytes = "3\n-20 0 2\n200 50\n220 2\n\n2\n0 40 20\n60 2\n";
    WriteBytes(mesh, bytes);

    Discretize(s.doc, [&](QDialog* d) { Do(d, {{IDC_MESH_EXISTING}, {IDC_MESH_FILE, mesh.c_str()}, {IDOK}}); });
    std::vector<std::string> expected = kDefaultSummary;
    expected[4] = "Created mesh file: " + mesh;
    expected[5] = "smallest cell size: 4 x 2";
    expected[6] = "total number of cells: 54 x 22 = 1188";
    expected[9] = "number of ground cells: 1188";
    EXPECT_EQ(Lines(log.Last()), expected);
    EXPECT_EQ(s.doc.m_meshFileName, mesh);
    EXPECT_EQ(s.Files(), (std::vector<std::string>{"ferrovan.lock", "loc2d.txt", "model.txt", "model2d.con"}));

    Discretize(s.doc, [&](QDialog* d) {
        EXPECT_TRUE(Checked(d, IDC_MESH_EXISTING));
        EXPECT_EQ(DialogItemText(d, IDC_MESH_FILE).toStdString(), mesh);
        Do(d, {{IDC_MESH_M1}, {IDOK}});
    });
    EXPECT_EQ(Lines(log.Last()), kDefaultSummary);
    EXPECT_EQ(s.doc.m_meshFileName, "mesh2d.txt");
    EXPECT_EQ(s.Read("mesh2d.txt").rfind(kDefaultMeshHead, 0), 0u);
    EXPECT_EQ(ReadBytes(mesh), bytes);
}

TEST(DiscretizeCommand, ForwardTypeAndTopographyDecideTheFilesAndTheLastSummaryLines)
{
    const std::string charge = "Chargeability should be between 0 and 1.\nFor greater values, make sure IPL option is "
                               "selected when forward modelling.";
    const std::string emptyIP = "IP forward modelling is selected, but chargeability model is empty.";
    const std::string chg = "Created chargeability file: model2d.chg", topo = "Created topography file: topo2d.txt";
    const struct {
        const char* name;
        int radio;
        std::optional<float> ipBlock;
        float ipBackground;
        bool valley;
        std::vector<std::string> messages; // before the summary
        std::vector<std::string> tail;     // summary lines after the conductivity file; none: no run
    } rows[] = {
        {"DC in a valley", IDC_FWD_DC, 1.5f, 0, true, {}, {topo}},
        {"DC and IP, chargeability 1", IDC_FWD_DC_IP, 1.0f, 0, false, {charge}, {}},
        {"DC and IP, 0.99 over a background of 1", IDC_FWD_DC_IP, 0.99f, 1, false, {charge}, {}},
        {"DC and IP, 0.99 over a background of 0.999", IDC_FWD_DC_IP, 0.99f, 0.999f, false, {}, {chg}},
        {"DC and IP, no IP block", IDC_FWD_DC_IP, std::nullopt, 0, false, {emptyIP}, {chg}},
        {"DC and IPL, 1.5 in a valley", IDC_FWD_DC_IPL, 1.5f, 0, true, {}, {chg, topo}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        MessageLog log;
        Scene s;
        if (row.valley)
            s.AddValley();
        if (row.ipBlock)
            s.AddBlock(s.doc.m_ipModel, *row.ipBlock);
        s.doc.m_ipBackground = row.ipBackground;
        s.Save();
        // A refusal goes back to the forward type dialog, which is cancelled then; the warning is
        // answered OK.
        const bool refused = row.messages == std::vector<std::string>{charge};
        if (row.messages == std::vector<std::string>{emptyIP})
            log.Answer(IDOK);
        std::optional<ModalAnswer> again;
        Discretize(s.doc, PressOk, [&](QDialog* d) {
            if (refused)
                again.emplace(On("Type of 2D Forwad Modelling", [](QDialog* d) { ClickItem(d, IDCANCEL); }));
            Do(d, {{row.radio}, {IDOK}});
        });
        EXPECT_TRUE(!refused || again->Answered());
        std::vector<std::string> texts = log.Texts(), files = {"model.txt"};
        if (!row.tail.empty()) {
            ASSERT_FALSE(texts.empty());
            const std::vector<std::string> lines = Lines(texts.back());
            texts.pop_back();
            ASSERT_GE(lines.size(), kDefaultSummary.size());
            EXPECT_EQ(std::vector<std::string>(lines.begin() + 12, lines.end()), row.tail);
            files.insert(files.end(), {"ferrovan.lock", "loc2d.txt", "mesh2d.txt", "model2d.con"});
            for (const std::string& line : row.tail)
                files.push_back(line.substr(line.find(": ") + 2));
        }
        EXPECT_EQ(texts, row.messages);
        std::sort(files.begin(), files.end());
        EXPECT_EQ(s.Files(), files);
        EXPECT_EQ(s.doc.m_bDiscretized, !row.tail.empty());
    }

    // Cancel to the empty chargeability model's warning goes back to the dialog, where DC goes on.
    MessageLog log;
    Scene s;
    s.Save();
    log.Answer(IDCANCEL);
    std::optional<ModalAnswer> again;
    Discretize(s.doc, PressOk, [&](QDialog* d) {
        again.emplace(On("Type of 2D Forwad Modelling", [](QDialog* d) { Do(d, {{IDC_FWD_DC}, {IDOK}}); }));
        Do(d, {{IDC_FWD_DC_IP}, {IDOK}});
    });
    EXPECT_TRUE(again->Answered());
    EXPECT_EQ(log.Texts().front(), emptyIP);
    EXPECT_TRUE(s.doc.m_bDiscretized);
    EXPECT_EQ(s.doc.m_discretize.forward, EForwardType::dc);
}

// The batch mode, given the same choices as the dialogs, writes the same bytes and summary.
TEST(DiscretizeCommand, TheBatchModeWritesWhatTheDialogsWrite)
{
    MessageLog log;
    Scene s;
    s.AddValley();
    s.AddBlock(s.doc.m_dcModel, -1);
    s.AddBlock(s.doc.m_ipModel, 1.5f);
    s.Save();
    Discretize(
        s.doc,
        [](QDialog* d) {
            Do(d, {{IDC_ARRAY_DIPOLE_DIPOLE},
                   {IDC_N, "4"},
                   {IDC_A_SPACING, "8"},
                   {IDC_MESH_M2},
                   {IDC_DX, "2.5"},
                   {IDC_DZ, "1.25"},
                   {IDOK}});
        },
        [](QDialog* d) {
            Do(d, {{IDC_FWD_DC_IPL}, {IDOK}});
        });
    ASSERT_EQ(log.Boxes().size(), 1u);

    TempDir other;
    WriteBytes(other.File("model.txt"), s.Read("model.txt"));
    std::ostringstream out, err;
    EXPECT_EQ(RunBatch({"--batch", other.File("model.txt"), "--array", "dipole-dipole", "--n", "4", "--a", "8",
                        "--mesh", "m2", "--dx", "2.5", "--dz", "1.25", "--fwd", "ipl"},
                       out, err),
              0);
    EXPECT_EQ(err.str(), "");
    EXPECT_EQ(out.str(), log.Last());
    const std::vector<std::string> names = s.Files();
    EXPECT_EQ(names.size(), 7u);
    ASSERT_EQ(FileNames(other.Path()), names);
    for (const std::string& name : names)
        EXPECT_EQ(ReadBytes(other.File(name)), s.Read(name.c_str())) << name;
}

// A model named as a file that Discretize or the forward run writes beside it would be destroyed
// by them, so it is neither saved nor opened under that name, nor through a link to it.
TEST(DiscretizeCommand, AModelNamedAsAFileWrittenBesideItIsRefused)
{
    MessageLog log;
    Scene s;
    auto text = [](const char* name, const char* direction) {
        return "Cannot use \"" + std::string(name) + "\" as the\n" + direction +
               " filename, since this file is written beside the\nmodel for forward modelling.";
    };
    const std::pair<const char*, const char*> rows[] = {
        {"loc2d.txt", "loc2d.txt"},       {"MESH2D.TXT", "mesh2d.txt"},     {"topo2d.txt", "topo2d.txt"},
        {"ferrovan.inp", "ferrovan.inp"}, {"Ferrovan.Log", "ferrovan.log"}, {"ferrovan.lock", "ferrovan.lock"},
        {"obs_dc.dat", "obs_dc.dat"},     {"obs_ip.dat", "obs_ip.dat"},     {"OBS_IPL.DAT", "obs_ipL.dat"},
    };
    for (const auto& [given, written] : rows) {
        log.Clear();
        EXPECT_FALSE(s.doc.WriteModel(s.dir.File(given))) << given;
        EXPECT_TRUE(s.Files().empty()) << given;
        WriteBytes(s.dir.File(given), "data");
        EXPECT_FALSE(s.doc.ReadModel(s.dir.File(given))) << given;
        EXPECT_EQ(log.Texts(), (std::vector<std::string>{text(written, "output"), text(written, "input")})) << given;
        std::filesystem::remove(s.dir.File(given));
    }
    log.Clear();
    ASSERT_EQ(::symlink("loc2d.txt", s.dir.File("model").c_str()), 0);
    EXPECT_FALSE(s.doc.WriteModel(s.dir.File("model")));
    EXPECT_EQ(log.Texts(), std::vector<std::string>{text("loc2d.txt", "output")});
    EXPECT_TRUE(s.doc.GetPathName().empty());

    // Any other link is saved through and stays.
    std::filesystem::remove(s.dir.File("model"));
    ASSERT_EQ(::symlink("real.model", s.dir.File("model").c_str()), 0);
    EXPECT_TRUE(s.doc.WriteModel(s.dir.File("model")));
    EXPECT_TRUE(std::filesystem::is_symlink(s.dir.File("model")));
    EXPECT_EQ(s.Read("real.model").substr(0, 10), "0 200 0 50");
}

} // namespace

// Opening a model takes up the discretization and the run in its folder when their files are
// exactly the model's, with each kind of mesh; an edited model, a file of another survey or data
// of other configurations are not taken up.
TEST(DiscretizeCommand, OpeningTakesUpTheDiscretizationAndTheRunOfTheFolder)
{
    MessageLog log;
    const Answer m2 = [](QDialog* d) { Do(d, {{IDC_MESH_M2}, {IDC_DX, "2.5"}, {IDC_DZ, "1.25"}, {IDOK}}); };
    for (const Answer& mesh : {PressOk, m2}) {
        Scene s;
        s.AddValley();
        s.AddBlock(s.doc.m_ipModel, 0.1f);
        s.Save();
        Discretize(s.doc, mesh, [](QDialog* d) { Do(d, {{IDC_FWD_DC_IP}, {IDOK}}); });
        ASSERT_TRUE(s.doc.m_bDiscretized);
        // A run's files: the input file and data of the locations' configurations.
        WriteForwardInputFile(s.doc, "ferrovan.inp");
        std::string dc, ip;
        for (const CQuadrupole& q : CLocationsFile::Read("loc2d.txt").data) {
            dc += FormatC("%g %g  %g %g  1 100\r\n", q.a, q.b, q.m, q.n);
            ip += FormatC("%g %g  %g %g  0.01\r\n", q.a, q.b, q.m, q.n);
        }
        WriteBytes(s.dir.File("obs_dc.dat"), dc);
        WriteBytes(s.dir.File("obs_ip.dat"), ip);

        auto opened = [&] {
            CSectomatDoc doc;
            EXPECT_TRUE(doc.ReadModel(s.dir.File("model.txt")));
            return std::tuple{doc.m_bDiscretized, doc.m_bForwardDone, doc.m_discretize.forward,
                              !doc.m_meshShapes.surface.empty() && doc.m_meshShapes.ip.front().rect.x2 > 0};
        };
        EXPECT_EQ(opened(), std::tuple(true, true, EForwardType::dcIp, true));
        WriteBytes(s.dir.File("obs_ip.dat"), ip.substr(0, ip.rfind("\r\n", ip.size() - 3) + 2));
        EXPECT_EQ(opened(), std::tuple(true, false, EForwardType::dcIp, true));
        const std::string locations = s.Read("loc2d.txt");
        WriteBytes(s.dir.File("loc2d.txt"), "#6 5 2 3 2\r\n" + locations.substr(locations.find("\r\n") + 2));
        EXPECT_FALSE(std::get<0>(opened()));
        WriteBytes(s.dir.File("loc2d.txt"), locations);
        s.doc.m_dcBackground = -2;
        s.Save();
        EXPECT_FALSE(std::get<0>(opened()));
    }
}
