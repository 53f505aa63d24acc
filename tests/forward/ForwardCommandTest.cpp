// The forward model, Log file, Data and Model commands in the running program.
#include "app/Resource.h"
#include "forward/StandIns.h"
#include "platform/FilePath.h"
#include "support/AppFixture.h"
#include "support/ModalDriver.h"

#include <QDialog>

#include <array>

namespace {

class ForwardCommandTest : public AppFixture {
protected:
    void SetUp() override { StartWith(CrLf(kNewModel)); }
    // Data > discretize with the dialogs' proposals.
    void Discretize()
    {
        auto ok = [](const char* title) {
            return ModalAnswer([title](QWidget* w) { return w->windowTitle() == title; },
                               [](QWidget* w) { ClickItem(w, IDOK); });
        };
        ModalAnswer first = ok("Discretize model"), second = ok("Type of 2D Forwad Modelling");
        Trigger(ID_DISCRETIZE);
        EXPECT_TRUE(first.Answered() && second.Answered());
    }
};

TEST_F(ForwardCommandTest, EnablingFollowsTheFlagsTheModelShownAndTheForwardType)
{
    const struct {
        const char* name;
        bool dcModel;
        int fwdType;
        bool modified, discretized, done;
        std::array<bool, 4> enabled; // forward model, Log file, Data, Model
    } rows[] = {
        {"DC, nothing done", true, 0, false, false, false, {false, false, false, false}},
        {"DC, discretized", true, 0, false, true, false, {true, true, false, true}},
        {"DC, forward modelled", true, 0, false, true, true, {true, true, true, true}},
        {"DC, forward modelled, unsaved", true, 0, true, true, true, {true, false, false, false}},
        {"DC, results but not discretized", true, 0, false, false, true, {false, false, true, false}},
        {"IP of type 0, forward modelled", false, 0, false, true, true, {true, true, false, false}},
        {"IP of type 1, forward modelled", false, 1, false, true, true, {true, true, true, true}},
    };
    for (const auto& row : rows) {
        if (View()->m_bDCModel != row.dcModel)
            Trigger(row.dcModel ? ID_EDIT_DC_MODEL : ID_EDIT_IP_MODEL);
        Doc()->m_fwdType = row.fwdType;
        Doc()->SetModifiedFlag(row.modified);
        Doc()->m_bDiscretized = row.discretized;
        Doc()->m_bForwardDone = row.done;
        const std::array<bool, 4> enabled = {Enabled(ID_FORWARD_MODEL), Enabled(ID_VIEW_LOG_FILE),
                                             Enabled(ID_VIEW_DATA), Enabled(ID_VIEW_MODEL)};
        EXPECT_EQ(enabled, row.enabled) << row.name;
    }
    EXPECT_TRUE(log.Empty());
}

// With no viewer to be found, any attempt to start one shows up as an error box.
TEST_F(ForwardCommandTest, TheModelViewerStartsOnUpdatesOfADiscretizedModelButNotAfterOpenOrNew)
{
    StandIns none;
    Doc()->m_bDiscretized = true;
    Doc()->UpdateAllViews(nullptr);
    EXPECT_EQ(log.Texts(), std::vector<std::string>{"Could not execute program: velquor-model-viewer.exe"});

    log.Clear();
    WriteBytes(dir.File("other.txt"), CrLf(kNewModel));
    Doc()->m_bDiscretized = true;
    ASSERT_TRUE(Doc()->ReadModel(dir.File("other.txt")));
    Doc()->m_bDiscretized = true;
    ModalAnswer properties = OnModal<QDialog>([](QDialog* d) { ClickItem(d, IDOK); });
    Trigger(ID_FILE_NEW);
    EXPECT_TRUE(properties.Answered());
    EXPECT_TRUE(log.Empty());
}

TEST_F(ForwardCommandTest, DiscretizeForwardModelThenTheViewersAndTheLog)
{
    StandIns programs{"ferrovan", "velquor-data-viewer", "velquor-model-viewer", "notepad"};
    Discretize();
    EXPECT_EQ(WaitForRuns(dir.Path(), 1), (std::vector<Args>{{"velquor-model-viewer.exe", "mesh2d.txt", "model2d.con"}}));
    log.Clear();
    WriteBytes(dir.File("standin-writes.txt"), "obs_dc.dat\nferrovan.log\n");
    Trigger(ID_FORWARD_MODEL);
    EXPECT_EQ(log.Texts(), std::vector<std::string>{"Forward modelling has finished."});
    EXPECT_EQ(RecordedRuns(dir.Path()).back(), (Args{"ferrovan.exe", "ferrovan.inp"}));

    // One program at a time, so that the records keep their order.
    const std::pair<unsigned, Args> commands[] = {
        {ID_VIEW_DATA, {"velquor-data-viewer.exe", "obs_dc.dat", "/dc"}},
        {ID_VIEW_MODEL, {"velquor-model-viewer.exe", "mesh2d.txt", "model2d.con"}},
        {ID_VIEW_LOG_FILE, {"notepad", "ferrovan.log"}},
    };
    size_t runs = 2;
    for (const auto& [id, args] : commands) {
        Trigger(id);
        EXPECT_EQ(WaitForRuns(dir.Path(), ++runs).back(), args) << id;
    }

    // The automatic display shows the conductivity when the discretization wrote no
    // chargeability file, whatever model is shown; the results of the earlier run are gone.
    Trigger(ID_EDIT_IP_MODEL);
    RemoveFile(dir.File("standin-writes.txt")); // the viewer started next must not write them again
    log.Answer(IDYES);                           // erase the previous results
    Discretize();
    EXPECT_EQ(WaitForRuns(dir.Path(), ++runs).back(), (Args{"velquor-model-viewer.exe", "mesh2d.txt", "model2d.con"}));
    EXPECT_FALSE(Enabled(ID_VIEW_DATA));
    EXPECT_FALSE(FileExists("obs_dc.dat") || FileExists("ferrovan.log"));
}

} // namespace
