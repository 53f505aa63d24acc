// The program as a user meets it: start-up, the main window, New, Open, Save and closing.
#include "app/Resource.h"
#include "platform/FilePath.h"
#include "support/AppFixture.h"
#include "support/ExampleModel.h"
#include "support/ModalDriver.h"

#include <QDialog>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTest>
#include <QToolBar>

namespace {

// Answers the next file dialog by typing path into its name field and pressing Return.
ModalAnswer ChooseFile(const std::string& path)
{
    return OnModal<QFileDialog>([path](QFileDialog* d) {
        auto* name = d->findChild<QLineEdit*>("fileNameEdit");
        ASSERT_NE(name, nullptr);
        name->setFocus();
        name->setText(QString::fromStdString(path));
        QTest::keyClick(name, Qt::Key_Return);
    });
}

class AppTest : public AppFixture {
protected:
    // Starts without a model file and confirms Model Properties with a 300 wide core and a
    // background chargeability of 0.5.
    void StartNewModel()
    {
        ModalAnswer answer = OnModal<QDialog>([](QDialog* d) {
            TypeInto(d, 1002, "300");
            TypeInto(d, 1006, "0.5");
            ClickItem(d, IDOK);
        });
        ASSERT_TRUE(app.InitInstance());
        ASSERT_TRUE(answer.Answered());
    }
};

TEST(FrameSize, FollowsTheScreenUpTo900By500)
{
    const int rows[][4] = {{1024, 768, 819, 500}, {1920, 1080, 900, 500}, {800, 600, 640, 480}};
    for (const auto& r : rows) {
        int w = 0, h = 0;
        InitialFrameSize(r[0], r[1], w, h);
        EXPECT_EQ(std::pair(w, h), std::pair(r[2], r[3])) << r[0] << " x " << r[1];
    }
}

TEST_F(AppTest, StartWithoutAFileAsksForTheModelFrameAndChecksIt)
{
    ModalAnswer answer = OnModal<QDialog>([](QDialog* d) {
        EXPECT_EQ(d->windowTitle(), "Model Properties");
        for (auto [id, text] : {std::pair{1000, "0"}, {1002, "200"}, {1003, "50"}, {1005, "-3"}, {1006, "0"}})
            EXPECT_EQ(DialogItemText(d, id), text) << id;
        TypeInto(d, 1002, "0");
        ClickItem(d, IDOK);
        TypeInto(d, 1002, "300");
        TypeInto(d, 1006, "-0.1");
        ClickItem(d, IDOK);
        TypeInto(d, 1006, "0,5"); // the user's comma is not a number here
        ClickItem(d, IDOK);
        TypeInto(d, 1006, "0.5");
        ClickItem(d, IDOK);
    });
    ASSERT_TRUE(app.InitInstance());
    EXPECT_EQ(log.Texts(), (std::vector<std::string>{"x1 should be less than x2.",
                                                     "Chargeability should be between positive.", "Enter a number."}));
    EXPECT_TRUE(Frame()->isVisible());
    EXPECT_EQ(Frame()->windowTitle(), "Untitled - Velquor Model Maker");
    EXPECT_EQ(Doc()->m_coreX2, 300);
    EXPECT_EQ(Doc()->m_ipBackground, 0.5f);
    EXPECT_TRUE(Doc()->IsModified());
}

TEST_F(AppTest, CancelAtStartEndsTheProgramQuietly)
{
    ModalAnswer answer = OnModal<QDialog>([](QDialog* d) { ClickItem(d, IDCANCEL); });
    EXPECT_FALSE(app.InitInstance());
    EXPECT_EQ(app.m_nExitCode, 0);
    EXPECT_EQ(app.m_pMainWnd, nullptr);
    EXPECT_EQ(app.GetDocTemplate()->GetFrame(), nullptr);
    EXPECT_TRUE(log.Empty());
}

TEST_F(AppTest, MainWindowCarriesTheCommandVocabulary)
{
    StartNewModel();
    using Items = std::vector<std::pair<std::string, unsigned>>;
    const std::vector<std::pair<std::string, Items>> expected = {
        {"&File", {{"&New\tCtrl+N", 57600}, {"&Open...\tCtrl+O", 57601}, {"&Save\tCtrl+S", 57604}, {"-", 0}, {"E&xit", 57665}}},
        {"&Edit", {{"DC model", 32776}, {"IP model", 32777}, {"-", 0}, {"topography", 32783}}},
        {"&View", {{"Data", 32781}, {"Model", 32782}, {"Log file", 32794}, {"-", 0}, {"&Toolbar", 59392}, {"&Status Bar", 59393}}},
        {"Data", {{"discretize ...", 32791}, {"forward model", 32774}}},
        {"&Help", {{"&About Velquor Model Maker ...", 57664}}},
    };
    std::vector<std::pair<std::string, Items>> actual;
    for (QAction* popup : Frame()->menuBar()->actions()) {
        Items& items = actual.emplace_back(popup->text().toStdString(), Items()).second;
        for (QAction* a : popup->menu()->actions())
            items.emplace_back(a->isSeparator() ? "-" : a->text().toStdString(), a->isSeparator() ? 0 : a->data().toUInt());
    }
    EXPECT_EQ(actual, expected);

    std::vector<unsigned> toolbar;
    for (QAction* a : Frame()->findChild<QToolBar*>("toolbar")->actions())
        toolbar.push_back(a->isSeparator() ? 0 : a->data().toUInt());
    EXPECT_EQ(toolbar, (std::vector<unsigned>{57604, 0, 32788, 32790, 0, 32776, 32777, 0, 32783, 0, 32791, 32782, 32774,
                                              32781, 32794}));

    QAction* discretize = Frame()->GetCommandAction(ID_DISCRETIZE);
    EXPECT_EQ(discretize->statusTip(), "Discretize the model onto a mesh.");
    EXPECT_EQ(discretize->toolTip(), "mesh");
    EXPECT_EQ(Frame()->GetCommandAction(ID_COLOURBAR_COND_RES)->toolTip(), "Cond / Res");
    EXPECT_EQ(Frame()->GetCommandAction(ID_FILE_NEW)->shortcut(), QKeySequence("Ctrl+N"));
    EXPECT_EQ(Frame()->GetCommandAction(ID_EDIT_PASTE)->shortcut(), QKeySequence("Ctrl+V"));

    // A new, unsaved model: every command with a handler is enabled but those that need a
    // discretization or results, and Paste has none.
    for (unsigned id : {57600u, 57601u, 57604u, 57665u, 59392u, 59393u, 57664u, 32791u, 32776u, 32777u, 32783u,
                        32788u, 32790u})
        EXPECT_TRUE(Enabled(id)) << id;
    EXPECT_FALSE(Enabled(ID_EDIT_PASTE));
    EXPECT_TRUE(Frame()->GetCommandAction(ID_EDIT_DC_MODEL)->isChecked());
    EXPECT_TRUE(Frame()->GetCommandAction(ID_VIEW_TOOLBAR)->isChecked());
}

TEST_F(AppTest, StatusBarShowsPromptsAndFallsBackToTheIdleText)
{
    StartNewModel();
    auto* pane = Frame()->findChild<QLabel*>("pane0");
    ASSERT_NE(pane, nullptr);
    EXPECT_EQ(pane->text(), " Orvane");
    Frame()->GetCommandAction(ID_EDIT_DC_MODEL)->showStatusText(Frame());
    EXPECT_EQ(pane->text(), "Edit the DC model.");
    QStatusTipEvent leave{QString()};
    QApplication::sendEvent(Frame(), &leave);
    EXPECT_EQ(pane->text(), " Orvane");
    Frame()->SetStatusText("x = 12.5, z = 3");
    EXPECT_EQ(pane->text(), "x = 12.5, z = 3");
    Frame()->SetStatusText("");
    EXPECT_EQ(pane->text(), " Orvane");
}

TEST_F(AppTest, ToolbarAndStatusBarToggleWithTheirCheckMarks)
{
    StartNewModel();
    auto* toolbar = Frame()->findChild<QToolBar*>("toolbar");
    Trigger(ID_VIEW_TOOLBAR);
    Frame()->UpdateCommandUI();
    EXPECT_TRUE(toolbar->isHidden());
    EXPECT_FALSE(Frame()->GetCommandAction(ID_VIEW_TOOLBAR)->isChecked());
    Trigger(ID_VIEW_TOOLBAR);
    EXPECT_FALSE(toolbar->isHidden());
    Trigger(ID_VIEW_STATUS_BAR);
    Frame()->UpdateCommandUI();
    EXPECT_TRUE(Frame()->statusBar()->isHidden());
    EXPECT_FALSE(Frame()->GetCommandAction(ID_VIEW_STATUS_BAR)->isChecked());
}

TEST_F(AppTest, CtrlVDoesNothingAndCtrlSSaves)
{
    StartNewModel();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Frame()));
    {
        ModalAnswer guard = NoModalExpected();
        QTest::keyClick(Frame(), Qt::Key_V, Qt::ControlModifier);
        ProcessEvents();
    }
    EXPECT_TRUE(log.Empty());
    EXPECT_TRUE(Doc()->IsModified());

    ModalAnswer save = ChooseFile(dir.File("by-key"));
    QTest::keyClick(Frame(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(FileExists(dir.File("by-key")));
    EXPECT_FALSE(Doc()->IsModified());
}

TEST_F(AppTest, StartWithAModelFileOpensItWithoutAsking)
{
    TempDir models;
    const std::string path = models.File("hill.model");
    WriteBytes(path, CrLf(kExampleModel));
    app.m_args = {path};
    ModalAnswer guard = NoModalExpected();
    ASSERT_TRUE(app.InitInstance());
    EXPECT_TRUE(log.Empty());
    EXPECT_EQ(Frame()->windowTitle().toStdString(), path + " - Velquor Model Maker");
    EXPECT_EQ(Doc()->m_dcModel.size(), 2u);
    EXPECT_FALSE(Doc()->IsModified());
    EXPECT_EQ(GetCurrentDirectory(), models.Path()); // the model's files live beside it
}

TEST_F(AppTest, StartWithABadOrMissingFileOrTooManyArgumentsEnds)
{
    WriteBytes(dir.File("bad"), "0 200 0 50\r\n3 -3\r\n");
    app.m_args = {dir.File("bad")};
    EXPECT_FALSE(app.InitInstance());
    EXPECT_EQ(app.m_nExitCode, 1);
    EXPECT_EQ(log.Last(), "Error reading\n" + dir.File("bad"));
    EXPECT_EQ(app.GetDocTemplate()->GetFrame(), nullptr);

    for (const std::vector<std::string>& args : {std::vector<std::string>{dir.File("missing")}, {"a", "b"}}) {
        CSectomatApp other;
        other.m_args = args;
        EXPECT_FALSE(other.InitInstance());
        EXPECT_EQ(other.m_nExitCode, int(args.size())) << args[0];
    }
}

TEST_F(AppTest, NewWhileModifiedAsksToSaveThenShowsTheOpenModelsFrame)
{
    StartNewModel();
    log.Answer(IDCANCEL);
    Trigger(ID_FILE_NEW);
    EXPECT_EQ(log.Last(), "Save changes to Untitled?");
    EXPECT_EQ(log.Boxes().back().style, unsigned(MB_YESNOCANCEL | MB_ICONQUESTION));

    log.Answer(IDNO);
    ModalAnswer answer = OnModal<QDialog>([](QDialog* d) {
        EXPECT_EQ(DialogItemText(d, 1002), "300");
        EXPECT_EQ(DialogItemText(d, 1006), "0.5");
        ClickItem(d, IDCANCEL);
    });
    Trigger(ID_FILE_NEW);
    EXPECT_TRUE(answer.Answered());
    EXPECT_EQ(Doc()->m_coreX2, 300); // cancelled: the open model stays
    EXPECT_TRUE(Frame()->isVisible());
}

TEST_F(AppTest, ClosingWithUnsavedChangesSavesThroughTheSaveDialog)
{
    StartNewModel();
    log.Answer(IDCANCEL);
    EXPECT_FALSE(Frame()->close());
    EXPECT_TRUE(Frame()->isVisible());

    log.Answer(IDYES);
    const std::string path = dir.File("first model");
    ModalAnswer save = ChooseFile(path);
    EXPECT_TRUE(Frame()->close());
    EXPECT_EQ(log.Texts(), (std::vector<std::string>{"Save changes to Untitled?", "Save changes to Untitled?"}));
    EXPECT_EQ(ReadBytes(path), CrLf({"0 300 0 50  ! core area x1,x2, z1,z2 ", "0 -3  ! DC # of blocks, background",
                                     "0 0.5  ! IP # of blocks, background", "2  ! topography points", "0 0", "300 0"}));
}

TEST_F(AppTest, OpenOffersToSaveThenReplacesTheModel)
{
    StartNewModel();
    TempDir models;
    const std::string path = models.File("hill.model");
    WriteBytes(path, CrLf(kExampleModel));
    log.Answer(IDNO);
    ModalAnswer open = ChooseFile(path);
    Trigger(ID_FILE_OPEN);
    EXPECT_EQ(log.Texts(), std::vector<std::string>{"Save changes to Untitled?"});
    EXPECT_EQ(Doc()->m_ipModel.size(), 1u);
    const std::string title = path + " - Velquor Model Maker";
    EXPECT_EQ(Frame()->windowTitle().toStdString(), title);
    EXPECT_EQ(GetCurrentDirectory(), models.Path());

    // A file that fails to read leaves the open model, its title and its folder alone.
    const std::string bad = dir.File("truncated");
    WriteBytes(bad, "0 500 0 50  ! core\r\n1 -2\r\n");
    ModalAnswer openBad = ChooseFile(bad);
    Trigger(ID_FILE_OPEN);
    EXPECT_EQ(log.Last(), "Error reading\n" + bad);
    EXPECT_EQ(Doc()->m_coreX2, 200);
    EXPECT_EQ(Doc()->m_dcModel.size(), 2u);
    EXPECT_EQ(Frame()->windowTitle().toStdString(), title);
    EXPECT_EQ(GetCurrentDirectory(), models.Path());
}

TEST_F(AppTest, SaveAlwaysAsksForANameAndBeforeReplacingAFile)
{
    StartNewModel();
    TempDir other;
    const std::string path = other.File("saved");
    ModalAnswer save = ChooseFile(path);
    Trigger(ID_FILE_SAVE_AS);
    EXPECT_TRUE(FileExists(path));
    EXPECT_EQ(Doc()->GetPathName(), path);
    EXPECT_EQ(GetCurrentDirectory(), other.Path());

    // Saving over an existing file asks first; No writes nothing and asks for another name.
    WriteBytes(dir.File("keep"), "precious");
    log.Answer(IDNO);
    ModalAnswer overwrite = ChooseFile(dir.File("keep"));
    ModalAnswer cancelSecond([&](QWidget* w) { return overwrite.Answered() && qobject_cast<QFileDialog*>(w); },
                             [](QWidget* w) { static_cast<QDialog*>(w)->reject(); });
    Trigger(ID_FILE_SAVE_AS);
    EXPECT_TRUE(cancelSecond.Answered());
    EXPECT_EQ(log.Last(), "keep already exists.\nDo you want to replace it?");
    EXPECT_EQ(ReadBytes(dir.File("keep")), "precious");
}

TEST_F(AppTest, AboutBoxNamesTheProgramAndItsDocumentation)
{
    StartNewModel();
    ModalAnswer about = OnModal<QDialog>([](QDialog* d) {
        EXPECT_EQ(d->windowTitle(), "About Velquor Model Maker");
        const QString info = DialogItemText(d, 1041);
        EXPECT_TRUE(info.startsWith("Functionality:\n")) << info.toStdString();
        EXPECT_TRUE(info.contains("\n\nInformation:\nDocumentation (file name): README.md\nDocumentation (web): "));
        EXPECT_TRUE(info.contains("\nInversion tutorials (web): "));
        QStringList labels;
        for (QLabel* l : d->findChildren<QLabel*>())
            labels << l->text();
        EXPECT_TRUE(labels.contains("Version 201210") && labels.contains("Velquor Model Maker"));
        ClickItem(d, IDOK);
    });
    Trigger(ID_APP_ABOUT);
    EXPECT_TRUE(about.Answered());
}

} // namespace
