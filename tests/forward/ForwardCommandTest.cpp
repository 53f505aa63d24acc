// The forward model, Log file, Data and Model commands in the running program.
#include "app/Resource.h"
#include "dialogs/DlgFwdType.h"
#include "dialogs/ExportDlg.h"
#include "dialogs/OptimizeSurveyDlg.h"
#include "forward/StandIns.h"
#include "platform/FilePath.h"
#include "support/AppFixture.h"
#include "support/ModalDriver.h"

#include <QCloseEvent>
#include <QDialog>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include <array>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <optional>
#include <sys/file.h>
#include <unistd.h>

namespace {

class ForwardCommandTest : public AppFixture {
protected:
    void SetUp() override { StartWith(CrLf(kNewModel)); }
    // Data > discretize with the dialogs' proposals, or this accuracy target.
    void Discretize(const char* accuracy = nullptr)
    {
        auto ok = [](const char* title, const char* accuracy) {
            return ModalAnswer([title](QWidget* w) { return w->windowTitle() == title; },
                               [accuracy](QWidget* w) {
                                   if (accuracy)
                                       TypeInto(w, IDC_FWD_ACCURACY, accuracy);
                                   ClickItem(w, IDOK);
                               });
        };
        ModalAnswer first = ok("Discretize model", nullptr), second = ok("Type of 2D Forwad Modelling", accuracy);
        Trigger(ID_DISCRETIZE);
        EXPECT_TRUE(first.Answered() && second.Answered());
    }
    // Data > forward model with the stand-in following script, and what answer does in the
    // progress dialog once the stand-in has printed the line waitFor. The stand-in's process
    // group must be gone afterwards.
    void ForwardModel(const std::string& script, const QString& waitFor = {},
                      const std::function<void(QDialog*)>& answer = {})
    {
        WriteBytes(dir.File("standin-script.txt"), "pid\n" + script);
        std::optional<ModalAnswer> progress;
        if (answer)
            progress.emplace(OnModal<QDialog>([&](QDialog* d) {
                EXPECT_TRUE(QTest::qWaitFor([&] { return d->findChild<QLabel*>()->text() == waitFor; }));
                answer(d);
            }));
        Trigger(ID_FORWARD_MODEL);
        EXPECT_TRUE(!progress || progress->Answered());
        const pid_t group = std::stoi(ReadBytes(dir.File("standin-pid.txt")));
        EXPECT_TRUE(::kill(-group, 0) == -1 && errno == ESRCH);
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
        Doc()->m_discretize.forward = EForwardType(row.fwdType);
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
    ASSERT_NO_FATAL_FAILURE(Discretize());
    EXPECT_EQ(WaitForRuns(dir.Path(), 1),
              (std::vector<Args>{{"velquor-model-viewer.exe", "mesh2d.txt", "model2d.con"}}));
    log.Clear();
    WriteBytes(dir.File("standin-script.txt"), "obs_dc.dat\n");
    ASSERT_NO_FATAL_FAILURE(Trigger(ID_FORWARD_MODEL));
    EXPECT_EQ(log.Texts(), std::vector<std::string>{"Forward modelling has finished."});
    EXPECT_EQ(RecordedRuns(dir.Path()).at(1),
              (Args{"ferrovan.exe", "--lock-fd", "3", "--accuracy", "0.5", "ferrovan.inp"}));

    // One program at a time, so that the records keep their order.
    const std::pair<unsigned, Args> commands[] = {
        {ID_VIEW_DATA, {"velquor-data-viewer.exe", "obs_dc.dat", "/dc"}},
        {ID_VIEW_MODEL, {"velquor-model-viewer.exe", "mesh2d.txt", "model2d.con"}},
    };
    Trigger(ID_VIEW_LOG_FILE);
    EXPECT_EQ(log.Last(), "Log file doesn't exist.\nferrovan.log");
    size_t runs = 2;
    for (const auto& [id, args] : commands) {
        ASSERT_NO_FATAL_FAILURE(Trigger(id));
        EXPECT_EQ(WaitForRuns(dir.Path(), ++runs).back(), args) << id;
    }

    // The automatic display shows the conductivity when the discretization wrote no
    // chargeability file, whatever model is shown; the results of the earlier run are gone.
    Trigger(ID_EDIT_IP_MODEL);
    RemoveFile(dir.File("standin-script.txt")); // the viewer started next must not write them again
    // Yes to the question, then Cancel: the results stay until a discretization goes ahead.
    log.Answer(IDYES);
    ModalAnswer cancel([](QWidget* w) { return w->windowTitle() == "Discretize model"; },
                       [](QWidget* w) { ClickItem(w, IDCANCEL); });
    Trigger(ID_DISCRETIZE);
    EXPECT_TRUE(cancel.Answered());
    EXPECT_TRUE(FileExists("obs_dc.dat") && Enabled(ID_FORWARD_MODEL));
    log.Answer(IDYES); // erase the previous results
    ASSERT_NO_FATAL_FAILURE(Discretize());
    EXPECT_EQ(WaitForRuns(dir.Path(), ++runs).back(), (Args{"velquor-model-viewer.exe", "mesh2d.txt", "model2d.con"}));
    EXPECT_FALSE(Enabled(ID_VIEW_DATA));
    EXPECT_FALSE(FileExists("obs_dc.dat") || FileExists("ferrovan.log"));
}

// The target set beside the forward type goes to the program and to the box after the run, which
// counts the data the estimate puts above it; off asks for no estimate and the box names none.
TEST_F(ForwardCommandTest, TheAccuracyTargetGoesToTheProgramAndToTheBoxAfterTheRun)
{
    StandIns programs{"ferrovan"};
    const std::pair<const char*, std::string> rows[] = {
        {"2", "Forward modelling has finished.\nThe estimated error of 1 of 2 data is above 2 %, up to 2.5 %.\nThe "
              "estimate of every datum is in obs_err.dat, the worst data are named in the log file."},
        {"off", "Forward modelling has finished."}};
    for (const auto& [typed, box] : rows) {
        SCOPED_TRACE(typed);
        ASSERT_NO_FATAL_FAILURE(Discretize(typed));
        log.Clear();
        // An estimate shows up during either run, so that only the target decides what the box says.
        ForwardModel("obs_dc.dat\n> estimating\nsleep 2000\n", "estimating", [this](QDialog*) {
            WriteBytes(dir.File("obs_err.dat"), "0 0  10 20  0.6\r\n0 0  20 30  2.5\r\n");
        });
        EXPECT_EQ(log.Last(), box);
        EXPECT_EQ(RecordedRuns(dir.Path()).back(),
                  (Args{"ferrovan.exe", "--lock-fd", "3", "--accuracy", typed, "ferrovan.inp"}));
        RemoveFile(dir.File("obs_dc.dat")); // nothing for the next Discretize to ask about
    }
}

// Data > optimize survey: the count refused on each side and as text, the run under its progress
// dialog, the report with the question, and the program's reason when it fails.
TEST_F(ForwardCommandTest, ASurveyDesignReportsAndOffersItsProtocolForTheNextDiscretization)
{
    StandIns programs{"ferrovan"};
    ASSERT_NO_FATAL_FAILURE(Discretize());
    WriteBytes(dir.File("standin-script.txt"), "survey_design.txt = Chosen: 6\nprotocol_optimized.txt = 1 4 2 3\n"
                                               "> survey design, configuration 6 of 6\n");
    ModalAnswer dialog = OnModal<QDialog>([this](QDialog* d) {
        EXPECT_EQ(d->windowTitle(), "Optimize Survey");
        EXPECT_NE(d->findChild<QLabel*>()->text().indexOf("every four of the survey's electrodes (a = 10 from x = 0)"),
                  -1);
        for (const char* typed : {"0", "1000001", "x"}) {
            TypeInto(d, IDC_DESIGN_COUNT, typed);
            ClickItem(d, IDOK);
            EXPECT_EQ(log.Last(), typed == std::string("x") ? "Enter an integer."
                                                            : "Number of configurations should be between 1 and "
                                                              "1000000.");
        }
        TypeInto(d, IDC_DESIGN_COUNT, "6");
        log.Answer(IDYES); // to the question after the run
        ClickItem(d, IDOK);
    });
    Trigger(ID_OPTIMIZE_SURVEY);
    ASSERT_TRUE(dialog.Answered());
    EXPECT_EQ(log.Last(), "Chosen: 6\n\nThe configurations are in\n" + dir.File("protocol_optimized.txt") +
                              "\nUse them as the protocol of the next discretization?");
    EXPECT_NE(ReadBytes(dir.File("ferrovan.inp")).find("OPTIMIZE SURVEY 6 10 0 200 0 50\r\n"), std::string::npos);
    EXPECT_EQ(Doc()->m_discretize.array, EArray::protocol);
    EXPECT_EQ(Doc()->m_discretize.protocolFile, dir.File("protocol_optimized.txt"));

    // Failed, with the program's reason from its log; the count typed last is proposed again.
    WriteBytes(dir.File("standin-script.txt"), "ferrovan.log = Error: Only 5 candidates.\nexit 1\n");
    ModalAnswer again = OnModal<QDialog>([](QDialog* d) {
        EXPECT_EQ(d->findChild<QLineEdit*>()->text(), "6");
        EXPECT_NE(d->findChild<QLabel*>()->text().indexOf("the lines of the protocol"), -1);
        ClickItem(d, IDOK);
    });
    Trigger(ID_OPTIMIZE_SURVEY);
    EXPECT_TRUE(again.Answered());
    EXPECT_EQ(log.Last(), "The survey design failed:\nOnly 5 candidates.");

    // Failed without a log: the plain refusal.
    std::filesystem::remove(dir.File("ferrovan.log"));
    WriteBytes(dir.File("standin-script.txt"), "exit 1\n");
    ModalAnswer third = OnModal<QDialog>([](QDialog* d) { ClickItem(d, IDOK); });
    Trigger(ID_OPTIMIZE_SURVEY);
    EXPECT_TRUE(third.Answered());
    EXPECT_EQ(log.Last(), "An error occurred during the survey design.\nLook in the log file for more information.");
}

// File > Export data after a run: the file for the chosen program, with a summary; an existing
// file is replaced only when the user says so, and the program's own files never.
TEST_F(ForwardCommandTest, ExportWritesTheChosenFormatBesideTheModel)
{
    StandIns programs{"ferrovan", "velquor-model-viewer"};
    ASSERT_NO_FATAL_FAILURE(Discretize());
    EXPECT_FALSE(Enabled(ID_FILE_EXPORT_DATA));
    WriteBytes(dir.File("standin-script.txt"), "obs_dc.dat\n");
    ASSERT_NO_FATAL_FAILURE(Trigger(ID_FORWARD_MODEL));
    WriteBytes(dir.File("obs_dc.dat"), "0 0  10 20  0.0795775 100\r\n10 10  20 30  0.0795775 100\r\n");
    // A refused name keeps the dialog open with the name selected, and is cancelled then.
    auto exportAs = [&](std::vector<Step> steps, bool refused = false) {
        ModalAnswer dialog = OnModal<QDialog>([&](QDialog* d) {
            Do(d, steps);
            ClickItem(d, IDOK);
            if (refused) {
                auto* file = qobject_cast<QLineEdit*>(DialogItem(d, IDC_EXPORT_FILE));
                EXPECT_TRUE(d->isVisible() && d->focusWidget() == file && file->selectedText() == file->text());
                ClickItem(d, IDCANCEL);
            }
        });
        log.Clear();
        Trigger(ID_FILE_EXPORT_DATA);
        EXPECT_TRUE(dialog.Answered());
    };
    exportAs({{IDC_EXPORT_R2}, {IDC_EXPORT_RELATIVE, "2"}});
    const std::string protocol = dir.File("protocol.dat");
    // Electrode 5 is B at infinity; 2 % noise of seed 0.
    EXPECT_EQ(ReadBytes(protocol), "2\r\n1\t1\t5\t2\t3\t0.0826218\t0.00159155\r\n"
                                   "2\t2\t5\t3\t4\t0.0794271\t0.00159155\r\n");
    EXPECT_EQ(log.Last().substr(0, log.Last().find('\n')), "Created " + protocol);
    EXPECT_NE(log.Last().find("ftype=\"Protocol\""), std::string::npos) << log.Last();

    WriteBytes(protocol, "kept");
    log.Answer(IDNO);
    exportAs({}, true);
    EXPECT_EQ(log.Texts(), std::vector<std::string>{protocol + " already exists.\nDo you want to replace it?"});
    EXPECT_EQ(ReadBytes(protocol), "kept");
    exportAs({{IDC_EXPORT_FILE, "obs_dc.dat"}}, true);
    EXPECT_EQ(log.Texts(), std::vector<std::string>{"Cannot use \"obs_dc.dat\" as the\noutput filename, since this "
                                                    "file is written beside the\nmodel for forward modelling."});
    const std::string lost = dir.File("no/p.dat");
    exportAs({{IDC_EXPORT_FILE, lost.c_str()}}, true);
    EXPECT_EQ(log.Texts(), std::vector<std::string>{"Cannot write " + lost + ":\nthe folder " + dir.File("no") +
                                                    " does not exist."});
}

// Whether another description holds the folder's lock.
bool FolderLocked(const std::string& folder)
{
    const int fd = ::open((folder + "/ferrovan.lock").c_str(), O_RDWR | O_CLOEXEC);
    const bool held = fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) != 0;
    if (fd >= 0)
        ::close(fd);
    return held;
}

// Another run's lock refuses Discretize and Forward model before they touch a file; the window's
// own lock lasts from Discretize to the end of the run that follows, and goes with the model.
TEST_F(ForwardCommandTest, TheFolderIsLockedFromDiscretizeToTheRunsEnd)
{
    StandIns programs{"ferrovan", "velquor-model-viewer"};
    WriteBytes(dir.File("loc2d.txt"), "the running run's locations\n");
    const int running = ::open(dir.File("ferrovan.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    ASSERT_EQ(::flock(running, LOCK_EX | LOCK_NB), 0);
    std::map<std::string, std::string> before;
    for (const std::string& name : FileNames(dir.Path()))
        before[name] = ReadBytes(dir.File(name));
    Trigger(ID_DISCRETIZE);
    Doc()->m_bDiscretized = true;
    Trigger(ID_FORWARD_MODEL);
    const std::string refusal = "Another run is using the folder " + dir.Path() + ".";
    EXPECT_EQ(log.Texts(), (std::vector<std::string>{refusal, refusal}));
    for (const std::string& name : FileNames(dir.Path()))
        EXPECT_EQ(ReadBytes(dir.File(name)), before[name]) << name;
    EXPECT_EQ(FileNames(dir.Path()).size(), before.size());
    ::close(running);

    ASSERT_NO_FATAL_FAILURE(Discretize());
    EXPECT_TRUE(FolderLocked(dir.Path()));
    ForwardModel("obs_dc.dat\n> wavenumber 1 of 1\nsleep 300\n", "wavenumber 1 of 1",
                 [this](QDialog*) { EXPECT_TRUE(FolderLocked(dir.Path())); });
    EXPECT_FALSE(FolderLocked(dir.Path()));
    RemoveFile(dir.File("standin-script.txt")); // for the viewer started next
    log.Answer(IDYES);                          // erase the results
    ASSERT_NO_FATAL_FAILURE(Discretize());
    EXPECT_TRUE(FolderLocked(dir.Path()));
    ModalAnswer properties = OnModal<QDialog>([](QDialog* d) { ClickItem(d, IDOK); });
    Trigger(ID_FILE_NEW);
    EXPECT_TRUE(properties.Answered());
    EXPECT_FALSE(FolderLocked(dir.Path()));
}

// The log in a window of the program, read again as it changes and when asked for again.
TEST_F(ForwardCommandTest, TheLogWindowFollowsTheFile)
{
    Doc()->m_bDiscretized = true;
    WriteBytes(dir.File("ferrovan.log"), "Ferrovan\r\n");
    Trigger(ID_VIEW_LOG_FILE);
    auto* window = Frame()->findChild<QPlainTextEdit*>();
    ASSERT_TRUE(window && window->isVisible() && window->isReadOnly());
    EXPECT_EQ(window->fontMetrics().horizontalAdvance("iiii"), window->fontMetrics().horizontalAdvance("WWWW"));
    EXPECT_EQ(window->toPlainText(), "Ferrovan\n");
    WriteBytes(dir.File("ferrovan.log"), "Ferrovan\r\nwavenumbers\r\n");
    EXPECT_TRUE(QTest::qWaitFor([&] { return window->toPlainText() == "Ferrovan\nwavenumbers\n"; }));
    WriteBytes(dir.File("ferrovan.log"), "again\r\n");
    Trigger(ID_VIEW_LOG_FILE);
    EXPECT_EQ(window->toPlainText(), "again\n");
    EXPECT_EQ(Frame()->findChildren<QPlainTextEdit*>().size(), 1);
}

TEST_F(ForwardCommandTest, TheRunShowsItsProgressAndCancelEndsItLeavingNoData)
{
    StandIns programs{"ferrovan"};
    Doc()->m_bDiscretized = true;
    const char* last = "checking the accuracy, coarse grid reaching farther: model 1 of 2, wavenumber 2 of 3";
    const std::string lines =
        "> model 1 of 2, wavenumber 1 of 3\n> model 2 of 2, wavenumber 1 of 3\n> " + std::string(last) + "\n";
    ForwardModel("obs_dc.dat\n.obs_dc.dat.Ab12Cd\n" + lines + "sleep 2000\n", last, [](QDialog* d) {
        EXPECT_EQ(d->findChild<QProgressBar*>()->value(), 3);
        EXPECT_EQ(d->findChild<QProgressBar*>()->maximum(), 6);
        const QLabel* text = d->findChild<QLabel*>(); // shown whole
        EXPECT_TRUE(text->contentsRect().contains(
            text->fontMetrics().boundingRect(text->contentsRect(), Qt::TextWordWrap, text->text())));
        d->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel)->click();
    });
    ASSERT_EQ(log.Boxes().size(), 1u);
    EXPECT_EQ(log.Last(), "Forward modelling was cancelled.");
    EXPECT_EQ(log.Boxes()[0].style, unsigned(MB_ICONINFORMATION));
    EXPECT_EQ(FileNames(dir.Path()), (std::vector<std::string>{"ferrovan.inp", "ferrovan.lock", "ferrovan.log",
                                                               "model.txt", "standin-pid.txt", "standin-script.txt"}));
    EXPECT_EQ(ReadBytes(dir.File("ferrovan.log")), "The run was cancelled by the user.\r\n");
    EXPECT_FALSE(Doc()->m_bForwardDone);
}

// A run the system killed is named with its signal, in the box and at the end of the log.
TEST_F(ForwardCommandTest, AKilledRunIsNamedWithItsSignal)
{
    StandIns programs{"ferrovan"};
    Doc()->m_bDiscretized = true;
    ForwardModel("ferrovan.log = ordering and analysis\nkill 9\n");
    const std::string killed = "ferrovan was killed by signal 9 (the system may have run out of memory).";
    EXPECT_EQ(log.Texts(), std::vector<std::string>{"Error occured during forward modelling.\n" + killed});
    EXPECT_EQ(ReadBytes(dir.File("ferrovan.log")), "ordering and analysis\n" + killed + "\r\n");
    EXPECT_FALSE(Doc()->m_bForwardDone);
}

// Quitting, or the window's close button, during a run: nothing modal keeps the window system's
// close from the main window, whose menus meanwhile take no input; either cancels the run first.
TEST_F(ForwardCommandTest, QuittingOrClosingTheWindowDuringARunCancelsItFirst)
{
    StandIns programs{"ferrovan"};
    for (bool quit : {true, false}) {
        std::filesystem::remove(dir.File("ferrovan.log"));
        Doc()->m_bDiscretized = true;
        ForwardModel("> wavenumber 1 of 3\nsleep 2000\n", "wavenumber 1 of 3", [this, quit](QDialog*) {
            EXPECT_EQ(QGuiApplication::modalWindow(), nullptr);
            EXPECT_FALSE(Frame()->menuBar()->isEnabled());
            QCloseEvent close;
            if (quit)
                Trigger(ID_APP_EXIT);
            else
                QCoreApplication::sendEvent(Frame()->windowHandle(), &close);
        });
        EXPECT_FALSE(Frame()->isVisible()) << quit;
        EXPECT_EQ(ReadBytes(dir.File("ferrovan.log")), "The run was cancelled by the user.\r\n") << quit;
        EXPECT_TRUE(log.Empty()) << quit;
        Frame()->show();
    }
}

} // namespace
