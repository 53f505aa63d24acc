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
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTest>
#include <QToolBar>
#include <QWindow>

#include <array>

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

using AppTest = AppFixture;

// Started without a model file, Model Properties confirmed with a 300 wide core and a background
// chargeability of 0.5.
class NewModelTest : public AppFixture {
protected:
    void SetUp() override
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
    for (auto [sw, sh, w, h] : {std::array{1024, 768, 819, 500}, {1920, 1080, 900, 500}, {800, 600, 640, 480}}) {
        int fw = 0, fh = 0;
        InitialFrameSize(sw, sh, fw, fh);
        EXPECT_EQ(std::pair(fw, fh), std::pair(w, h)) << sw << " x " << sh;
    }
}

TEST_F(AppTest, StartWithoutAFileAsksForTheModelFrameAndChecksIt)
{
    ModalAnswer answer = OnModal<QDialog>([](QDialog* d) {
        EXPECT_EQ(d->windowTitle(), "Model Properties");
        for (auto [id, text] :
             {std::pair{1000, "0"}, {1002, "200"}, {1001, "0"}, {1003, "50"}, {1005, "-3"}, {1006, "0"}})
            EXPECT_EQ(DialogItemText(d, id), text) << id;
        TypeInto(d, 1002, "300");
        TypeInto(d, 1006, "0,5"); // the user's comma is not a number here
        ClickItem(d, IDOK);
        TypeInto(d, 1006, "0.5");
        ClickItem(d, IDOK);
    });
    ASSERT_TRUE(app.InitInstance());
    EXPECT_EQ(log.Texts(), std::vector<std::string>{"Enter a number."});
    EXPECT_TRUE(Frame()->isVisible());
    // Nothing was done to the new model yet.
    EXPECT_EQ(Frame()->windowHandle()->title(), "Untitled - Velquor Model Maker");
    EXPECT_EQ(Doc()->m_coreX2, 300);
    EXPECT_EQ(Doc()->m_ipBackground, 0.5f);
    EXPECT_FALSE(Doc()->IsModified());
    Trigger(ID_DISCRETIZE); // still to be saved first; the log answers Cancel
    EXPECT_EQ(log.Last(), "Save the model before discretizing it.");
}

// Every command with a handler is enabled but those that need a discretization or results, and
// Paste has none.
TEST_F(NewModelTest, NewModelEnablesTheCommandsThatNeedNoResults)
{
    for (unsigned id : {ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_SAVE_AS, ID_APP_EXIT, ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR,
                        ID_APP_ABOUT, ID_DISCRETIZE, ID_EDIT_DC_MODEL, ID_EDIT_IP_MODEL, ID_EDIT_TOPOGRAPHY,
                        ID_COLOURBAR_LOG10, ID_COLOURBAR_COND_RES})
        EXPECT_TRUE(Enabled(id)) << id;
    for (unsigned id : {ID_EDIT_PASTE, ID_FORWARD_MODEL, ID_VIEW_MODEL, ID_VIEW_DATA, ID_VIEW_LOG_FILE})
        EXPECT_FALSE(Enabled(id)) << id;
}

TEST_F(NewModelTest, StatusBarShowsPromptsAndFallsBackToTheIdleText)
{
    auto* pane = Frame()->findChild<QLabel*>("pane0");
    EXPECT_EQ(pane->text(), " Orvane");
    Frame()->GetCommandAction(ID_EDIT_DC_MODEL)->showStatusText(Frame());
    EXPECT_EQ(pane->text(), "Edit the DC model.");
    QStatusTipEvent leave{QString()};
    QApplication::sendEvent(Frame(), &leave);
    EXPECT_EQ(pane->text(), " Orvane");
}

TEST_F(NewModelTest, ToolbarAndStatusBarToggleWithTheirCheckMarks)
{
    auto* toolbar = Frame()->findChild<QToolBar*>("toolbar");
    EXPECT_TRUE(Frame()->GetCommandAction(ID_VIEW_TOOLBAR)->isChecked());
    Trigger(ID_VIEW_TOOLBAR);
    Frame()->UpdateCommandUI();
    EXPECT_TRUE(toolbar->isHidden());
    EXPECT_FALSE(Frame()->GetCommandAction(ID_VIEW_TOOLBAR)->isChecked());
    Trigger(ID_VIEW_TOOLBAR);
    EXPECT_FALSE(toolbar->isHidden());
    Trigger(ID_VIEW_STATUS_BAR);
    EXPECT_TRUE(Frame()->statusBar()->isHidden());
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
    EXPECT_EQ(Frame()->windowHandle()->title().toStdString(), path + " - Velquor Model Maker");
    EXPECT_EQ(Doc()->m_dcModel.size(), 2u);
    EXPECT_FALSE(Doc()->IsModified());
    EXPECT_EQ(GetCurrentDirectory(), models.Path()); // the model's files live beside it
}

TEST_F(AppTest, StartEndsQuietlyOnCancelAndWithAnExitCodeOnABadStart)
{
    {
        ModalAnswer answer = OnModal<QDialog>([](QDialog* d) { ClickItem(d, IDCANCEL); });
        CSectomatApp cancelled;
        EXPECT_FALSE(cancelled.InitInstance());
        EXPECT_EQ(cancelled.m_nExitCode, 0);
        EXPECT_TRUE(log.Empty());
    }

    WriteBytes(dir.File("bad"), "0 200 0 50\r\n3 -3\r\n");
    app.m_args = {dir.File("bad")};
    EXPECT_FALSE(app.InitInstance());
    EXPECT_EQ(app.m_nExitCode, 1);
    EXPECT_EQ(log.Last(), "Error reading\n" + dir.File("bad") + "\nThe file ends before DC block 1 of 3.");
    EXPECT_EQ(app.GetDocTemplate()->GetFrame(), nullptr);

    for (const std::vector<std::string>& args : {std::vector<std::string>{dir.File("missing")}, {"a", "b"}}) {
        CSectomatApp other;
        other.m_args = args;
        EXPECT_FALSE(other.InitInstance());
        EXPECT_EQ(other.m_nExitCode, int(args.size())) << args[0];
    }
}

// A new model takes the default settings, not those of the model before; the accuracy target
// is the session's.
TEST_F(NewModelTest, ANewModelStartsFromTheDefaultSettings)
{
    Doc()->m_discretize.forward = EForwardType::dcIpl;
    Doc()->m_discretize.array = EArray::wenner;
    Doc()->m_discretize.accuracyPercent = 2;
    Doc()->SetModifiedFlag(false);
    ModalAnswer ok = OnModal<QDialog>([](QDialog* d) { ClickItem(d, IDOK); });
    Trigger(ID_FILE_NEW);
    EXPECT_TRUE(ok.Answered());
    EXPECT_EQ(Doc()->m_discretize.forward, EForwardType::dc);
    EXPECT_EQ(Doc()->m_discretize.array, CDiscretizeSettings{}.array);
    EXPECT_EQ(Doc()->m_discretize.accuracyPercent, 2);
}

TEST_F(NewModelTest, NewAndCloseWhileModifiedAskToSave)
{
    Doc()->CommitEdit();
    log.Answer(IDCANCEL);
    ASSERT_NO_FATAL_FAILURE(Trigger(ID_FILE_NEW));
    EXPECT_EQ(log.Boxes().back().style, unsigned(MB_YESNOCANCEL | MB_ICONQUESTION));

    log.Answer(IDNO);
    ModalAnswer answer = OnModal<QDialog>([](QDialog* d) { ClickItem(d, IDCANCEL); });
    Trigger(ID_FILE_NEW);
    EXPECT_TRUE(answer.Answered());
    EXPECT_EQ(Doc()->m_coreX2, 300); // cancelled: the open model stays

    log.Answer(IDCANCEL);
    EXPECT_FALSE(Frame()->close());
    EXPECT_TRUE(Frame()->isVisible());
    log.Answer(IDYES);
    const std::string path = dir.File("first model");
    ModalAnswer save = ChooseFile(path);
    EXPECT_TRUE(Frame()->close());
    EXPECT_EQ(log.Texts(), std::vector<std::string>(4, "Save changes to Untitled?"));
    EXPECT_EQ(ReadBytes(path), CrLf({"0 300 0 50  ! core area x1,x2, z1,z2 ", "0 -3  ! DC # of blocks, background",
                                     "0 0.5  ! IP # of blocks, background", "2  ! topography points", "0 0", "300 0"}));
}

TEST_F(NewModelTest, OpenOffersToSaveThenReplacesTheModel)
{
    TempDir models;
    const std::string path = models.File("hill.model");
    WriteBytes(path, CrLf(kExampleModel));
    Doc()->CommitEdit();
    log.Answer(IDNO);
    ModalAnswer open = ChooseFile(path);
    Trigger(ID_FILE_OPEN);
    EXPECT_EQ(log.Texts(), std::vector<std::string>{"Save changes to Untitled?"});
    EXPECT_EQ(Doc()->m_ipModel.size(), 1u);
    const std::string title = path + " - Velquor Model Maker";
    EXPECT_EQ(Frame()->windowHandle()->title().toStdString(), title);

    // A file that fails to read leaves the open model, its title and its folder alone.
    const std::string bad = dir.File("truncated");
    WriteBytes(bad, "0 500 0 50  ! core\r\n1 -2\r\n");
    ModalAnswer openBad = ChooseFile(bad);
    Trigger(ID_FILE_OPEN);
    EXPECT_EQ(log.Last(), "Error reading\n" + bad + "\nThe file ends before DC block 1 of 1.");
    EXPECT_EQ(Doc()->m_coreX2, 200);
    EXPECT_EQ(Frame()->windowHandle()->title().toStdString(), title);
    EXPECT_EQ(GetCurrentDirectory(), models.Path());
}

TEST_F(NewModelTest, SaveAlwaysAsksForANameAndBeforeReplacingAFile)
{
    TempDir other;
    const std::string path = other.File("saved");
    ModalAnswer save = ChooseFile(path);
    Trigger(ID_FILE_SAVE_AS);
    EXPECT_TRUE(FileExists(path));
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

TEST_F(NewModelTest, AboutBoxNamesTheProgramAndItsDocumentation)
{
    ModalAnswer about = OnModal<QDialog>([](QDialog* d) {
        EXPECT_EQ(d->windowTitle(), "About Velquor Model Maker");
        EXPECT_TRUE(DialogItemText(d, 1041).contains("Documentation (file name): README.md\n"));
        ClickItem(d, IDOK);
    });
    Trigger(ID_APP_ABOUT);
    EXPECT_TRUE(about.Answered());
}

} // namespace
