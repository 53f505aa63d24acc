// The framework layer: command routing and enabling, the save prompt, dialog data exchange,
// radio groups, dropped files and file-dialog filters.
#include "platform/DataExchange.h"
#include "platform/Dialog.h"
#include "platform/DocTemplate.h"
#include "platform/Document.h"
#include "platform/FileDialog.h"
#include "platform/FrameWnd.h"
#include "platform/QtMessageBox.h"
#include "platform/ScreenFit.h"
#include "platform/View.h"
#include "platform/WinApp.h"
#include "support/MessageLog.h"
#include "support/ModalDriver.h"

#include <QDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <string>
#include <vector>

namespace {

constexpr unsigned kShared = 40001;   // handled by every target
constexpr unsigned kDocOnly = 40002;  // handled by the document and the application
constexpr unsigned kNobody = 40003;   // handled by nobody
constexpr unsigned kGated = 40004;    // handled, but the view's update handler disables it
constexpr unsigned kNoMemory = 40005; // its handler runs out of memory

std::vector<std::string> g_calls;

class TestDoc : public CDocument {
public:
    TestDoc()
    {
        MapCommand(kShared, &TestDoc::OnShared);
        MapCommand(kDocOnly, &TestDoc::OnDocOnly);
        MapCommand(kGated, &TestDoc::OnShared);
        MapCommand(kNoMemory, &TestDoc::OnNoMemory);
    }
    bool OnSaveDocument(const std::string& path) override
    {
        saved.push_back(path);
        return saveSucceeds;
    }
    void OnShared() { g_calls.push_back("document"); }
    void OnDocOnly() { g_calls.push_back("document"); }
    void OnNoMemory() { throw std::bad_alloc(); }

    std::vector<std::string> saved;
    bool saveSucceeds = true;
};

class TestView : public CView {
public:
    TestView()
    {
        MapCommand(kShared, &TestView::OnShared);
        MapUpdate(kGated, &TestView::OnUpdateGated);
    }
    void OnShared() { g_calls.push_back("view"); }
    void OnUpdateGated(CCmdUI* ui) { ui->Enable(false); }
    void OnLButtonDown(unsigned, CPoint) override { throw std::bad_alloc(); }
};

class TestApp : public CWinApp {
public:
    TestApp()
    {
        MapCommand(kShared, &TestApp::OnShared);
        MapCommand(kDocOnly, &TestApp::OnShared);
    }
    void OnShared() { g_calls.push_back("application"); }
};

const FrameResource kResource = {
    1,
    "Test Frame\n\nTest\n\n\n\n",
    {{"&Test", {{"Shared", kShared}, {"Document", kDocOnly}, {"Nobody", kNobody}, {"Gated", kGated}}}},
    {},
    {},
    16,
    15};

class FrameworkTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_calls.clear();
        app.AddDocTemplate(std::make_unique<CSingleDocTemplate>(
            kResource, [] { return std::make_unique<TestDoc>(); }, [] { return std::make_unique<CFrameWnd>(); },
            [] { return new TestView; }));
        CCommandLineInfo info;
        ASSERT_TRUE(app.ProcessShellCommand(info));
    }
    CFrameWnd* Frame() { return app.GetDocTemplate()->GetFrame(); }
    TestDoc* Doc() { return static_cast<TestDoc*>(app.GetDocTemplate()->GetDocument()); }

    MessageLog log;
    TestApp app;
};

TEST_F(FrameworkTest, CommandsGoToTheViewThenTheDocumentThenTheApplication)
{
    EXPECT_TRUE(Frame()->ExecuteCommand(kShared));
    EXPECT_TRUE(Frame()->ExecuteCommand(kDocOnly));
    EXPECT_EQ(g_calls, (std::vector<std::string>{"view", "document"}));
}

TEST_F(FrameworkTest, CommandsWithoutHandlerOrDisabledByUpdateDoNotRun)
{
    Frame()->UpdateCommandUI();
    EXPECT_TRUE(Frame()->GetCommandAction(kShared)->isEnabled());
    EXPECT_FALSE(Frame()->GetCommandAction(kNobody)->isEnabled());
    EXPECT_FALSE(Frame()->GetCommandAction(kGated)->isEnabled());
    EXPECT_FALSE(Frame()->ExecuteCommand(kGated));
    Frame()->GetCommandAction(kGated)->trigger();
    EXPECT_TRUE(g_calls.empty());
}

// A command or an edit that needs more memory than there is ends with a message; the program
// and its document go on.
TEST_F(FrameworkTest, AnAllocationThatFailsEndsTheCommandOrEditWithAMessage)
{
    const std::pair<const char*, std::function<void()>> rows[] = {
        {"command", [this] { EXPECT_TRUE(Frame()->ExecuteCommand(kNoMemory)); }},
        {"click in the view", [this] { QTest::mouseClick(Frame()->GetActiveView(), Qt::LeftButton); }},
    };
    for (const auto& [name, run] : rows) {
        log.Clear();
        run();
        EXPECT_EQ(log.Texts(), std::vector<std::string>{"There is not enough memory for this model."}) << name;
        EXPECT_EQ(log.Boxes().at(0).style, unsigned(MB_ICONERROR)) << name;
    }
    EXPECT_TRUE(Frame()->ExecuteCommand(kShared));
    EXPECT_EQ(g_calls, std::vector<std::string>{"view"});
}

TEST_F(FrameworkTest, CaptionNamesTheDocumentBeforeTheWindowTitleAndMarksItModified)
{
    Frame()->winId(); // the platform window that shows the title
    EXPECT_EQ(Frame()->windowHandle()->title(), "Untitled - Test Frame");
    Doc()->SetPathName("/data/lines/model.txt");
    Doc()->SetModifiedFlag();
    EXPECT_EQ(Frame()->windowHandle()->title(), "model.txt* - Test Frame");
    Doc()->SetPathName("/data/a[*]b");
    Doc()->SetModifiedFlag(false);
    EXPECT_EQ(Frame()->windowHandle()->title(), "a[*]b - Test Frame");
}

TEST_F(FrameworkTest, SavePromptNamesTheFileAndFollowsTheAnswer)
{
    EXPECT_TRUE(Doc()->SaveModified()); // not modified: nothing asked
    EXPECT_TRUE(log.Empty());

    Doc()->SetModifiedFlag();
    log.Answer(IDNO);
    EXPECT_TRUE(Doc()->SaveModified());
    EXPECT_EQ(log.Texts(), std::vector<std::string>{"Save changes to Untitled?"});
    EXPECT_TRUE(Doc()->saved.empty());

    // With a path, Yes writes there without asking for a name; a failed write keeps the changes.
    Doc()->SetPathName("/data/lines/model.txt");
    Doc()->saveSucceeds = false;
    log.Answer(IDYES);
    EXPECT_FALSE(Doc()->SaveModified());
    EXPECT_EQ(log.Last(), "Save changes to model.txt?");
    EXPECT_EQ(Doc()->saved, std::vector<std::string>{"/data/lines/model.txt"});
    EXPECT_TRUE(Doc()->IsModified());
}

enum : int { kFirstRadio = 500, kSecondRadio, kThirdRadio, kOtherGroup, kOtherRadio, kCheck, kInt, kDrop };

const DlgTemplate kExchangeTemplate = {
    900,
    "Exchange",
    "MS Sans Serif",
    8,
    200,
    120,
    {
        {DlgItemKind::DefPushButton, IDOK, "OK", 10, 100, 40, 14},
        {DlgItemKind::PushButton, IDCANCEL, "Cancel", 60, 100, 40, 14},
        {DlgItemKind::AutoRadioButton, kFirstRadio, "a", 10, 10, 40, 10, WS_GROUP},
        {DlgItemKind::AutoRadioButton, kSecondRadio, "b", 10, 22, 40, 10},
        {DlgItemKind::LText, IDC_STATIC, "between", 60, 10, 40, 8},
        {DlgItemKind::AutoRadioButton, kThirdRadio, "c", 10, 34, 40, 10},
        {DlgItemKind::AutoRadioButton, kOtherGroup, "d", 10, 50, 40, 10, WS_GROUP},
        {DlgItemKind::AutoRadioButton, kOtherRadio, "e", 10, 62, 40, 10},
        {DlgItemKind::AutoCheckBox, kCheck, "check", 60, 50, 40, 10, WS_GROUP},
        {DlgItemKind::Edit, kInt, nullptr, 60, 70, 40, 14},
        {DlgItemKind::Edit, kDrop, nullptr, 110, 70, 80, 14, WS_EX_ACCEPTFILES},
    },
};

class ExchangeDlg : public CDialog {
public:
    ExchangeDlg() : CDialog(kExchangeTemplate) {}
    int first = 1;
    int second = -1;
    bool check = true;
    int number = 7;
    std::vector<std::string> dropped;

protected:
    void DoDataExchange(CDataExchange* pDX) override
    {
        DDX_Radio(pDX, kFirstRadio, first);
        DDX_Radio(pDX, kOtherGroup, second);
        DDX_Check(pDX, kCheck, check);
        DDX_Text(pDX, kInt, number);
    }
    void OnDropFiles(int id, const std::vector<std::string>& paths) override
    {
        EXPECT_EQ(id, kDrop);
        dropped = paths;
    }
};

TEST(DataExchange, RadioGroupsRunFromOneGroupStartToTheNext)
{
    ExchangeDlg dlg;
    ModalAnswer answer = OnModal<QDialog>([&](QDialog* d) {
        EXPECT_EQ(dlg.GetRadioGroup(kFirstRadio), (std::vector<int>{kFirstRadio, kSecondRadio, kThirdRadio}));
        EXPECT_EQ(dlg.GetRadioGroup(kOtherGroup), (std::vector<int>{kOtherGroup, kOtherRadio}));
        EXPECT_TRUE(dlg.IsDlgButtonChecked(kSecondRadio));
        EXPECT_FALSE(dlg.IsDlgButtonChecked(kOtherGroup) || dlg.IsDlgButtonChecked(kOtherRadio));
        EXPECT_TRUE(dlg.IsDlgButtonChecked(kCheck));
        ClickItem(d, kThirdRadio);
        ClickItem(d, kOtherRadio);
        ClickItem(d, kCheck);
        EXPECT_TRUE(dlg.IsDlgButtonChecked(kOtherRadio)); // groups do not uncheck each other
        EXPECT_TRUE(dlg.IsDlgButtonChecked(kThirdRadio));
        ClickItem(d, IDOK);
    });
    ASSERT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(dlg.first, 2);
    EXPECT_EQ(dlg.second, 1);
    EXPECT_FALSE(dlg.check);
}

TEST(DataExchange, IntegersRefuseEverythingButAWholeNumber)
{
    for (const char* typed : {"", "1.5", "12abc", "99999999999", "0x10"}) {
        MessageLog log;
        ExchangeDlg dlg;
        ModalAnswer answer = OnModal<QDialog>([&](QDialog* d) {
            TypeInto(d, kInt, typed);
            ClickItem(d, IDOK);
            if (d->isVisible())
                ClickItem(d, IDCANCEL);
        });
        EXPECT_EQ(dlg.DoModal(), IDCANCEL) << typed;
        EXPECT_EQ(log.Texts(), std::vector<std::string>{"Enter an integer."}) << typed;
    }
    MessageLog log;
    ExchangeDlg dlg;
    ModalAnswer answer = OnModal<QDialog>([&](QDialog* d) {
        TypeInto(d, kInt, "-42");
        ClickItem(d, IDOK);
    });
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(dlg.number, -42);
}

TEST(DataExchange, FilesDroppedOnAnAcceptingEditReachTheDialog)
{
    ExchangeDlg dlg;
    ModalAnswer answer = OnModal<QDialog>([&](QDialog* d) {
        EXPECT_TRUE(DropFiles(DialogItem(d, kDrop), {"/data/meshes/mesh one.txt", "/data/b.txt"}));
        ClickItem(d, IDCANCEL);
    });
    dlg.DoModal();
    EXPECT_EQ(dlg.dropped, (std::vector<std::string>{"/data/meshes/mesh one.txt", "/data/b.txt"}));
}

TEST(QtMessageBox, CaptionIconAndButtonsFollowTheStyle)
{
    InstallQtMessageBoxHandler();
    struct Row {
        unsigned style;
        QMessageBox::Icon icon;
        QMessageBox::StandardButton press;
        int answer;
    } rows[] = {
        {MB_OK, QMessageBox::NoIcon, QMessageBox::Ok, IDOK},
        {MB_ICONINFORMATION, QMessageBox::Information, QMessageBox::Ok, IDOK},
        {MB_ICONERROR, QMessageBox::Critical, QMessageBox::Ok, IDOK},
        {MB_YESNO | MB_ICONQUESTION, QMessageBox::Question, QMessageBox::Yes, IDYES},
        {MB_YESNOCANCEL | MB_ICONQUESTION, QMessageBox::Question, QMessageBox::Cancel, IDCANCEL},
    };
    for (const Row& row : rows) {
        ModalAnswer answer = OnModal<QMessageBox>([&](QMessageBox* box) {
            EXPECT_EQ(box->windowTitle(), "velquor-model-maker");
            EXPECT_EQ(box->text(), "Line one.\nLine two.");
            EXPECT_EQ(box->icon(), row.icon) << row.style;
            ASSERT_NE(box->button(row.press), nullptr) << row.style;
            box->button(row.press)->click();
        });
        EXPECT_EQ(AfxMessageBox("Line one.\nLine two.", row.style), row.answer) << row.style;
    }
    SetMessageBoxHandler(nullptr);
}

TEST(FileDialogFilter, TranslatesWindowsFiltersForEveryFileName)
{
    EXPECT_EQ(NameFiltersFromFilter("model files|*.*||"), std::vector<std::string>{"model files (*)"});
    EXPECT_EQ(NameFiltersFromFilter("Model||"), std::vector<std::string>{"Model (*)"});
    EXPECT_EQ(NameFiltersFromFilter("Data|*.dat;*.txt|All Files|*.*||"),
              (std::vector<std::string>{"Data (*.dat *.txt)", "All Files (*)"}));
    EXPECT_TRUE(NameFiltersFromFilter("").empty());
}

// A window larger than the screen, or partly off it, opens inside the available area.
TEST(ScreenFit, WindowsOpenInsideTheAvailableArea)
{
    const QRect available(0, 30, 1000, 670); // below a 30 pixel panel
    EXPECT_EQ(FitInside(QRect(-50, 0, 1200, 800), available), available);
    EXPECT_EQ(FitInside(QRect(900, 600, 400, 300), available), QRect(600, 400, 400, 300));

    QWidget window;
    window.resize(5000, 4000);
    PlaceOnScreen(window);
    const QRect screen = window.screen()->availableGeometry();
    EXPECT_TRUE(screen.contains(QRect(window.pos(), window.size())));
}

} // namespace
