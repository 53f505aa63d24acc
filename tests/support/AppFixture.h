#pragma once

#include "app/MainFrame.h"
#include "app/SectomatApp.h"
#include "document/SectomatDoc.h"
#include "platform/DocTemplate.h"
#include "support/ExampleModel.h"
#include "support/MessageLog.h"
#include "support/TempDir.h"
#include "view/SectomatView.h"

#include <QAction>

#include <gtest/gtest.h>

// The program started in-process as main starts it, in a fresh current folder, its message
// boxes recorded.
class AppFixture : public ::testing::Test {
protected:
    CSectomatDoc* Doc() const { return static_cast<CSectomatDoc*>(app.GetDocTemplate()->GetDocument()); }
    CMainFrame* Frame() const { return static_cast<CMainFrame*>(app.m_pMainWnd); }
    CSectomatView* View() const { return static_cast<CSectomatView*>(Frame()->GetActiveView()); }

    // Starts on the model file "model.txt" holding bytes.
    void StartWith(const std::string& bytes)
    {
        WriteBytes(dir.File("model.txt"), bytes);
        app.m_args = {dir.File("model.txt")};
        ASSERT_TRUE(app.InitInstance());
    }
    bool Enabled(unsigned id)
    {
        Frame()->UpdateCommandUI();
        return Frame()->GetCommandAction(id)->isEnabled();
    }
    void Trigger(unsigned id)
    {
        ASSERT_TRUE(Enabled(id)) << id;
        Frame()->GetCommandAction(id)->trigger();
    }

    TempDir dir;
    CurrentDirGuard cwd{dir.Path()};
    MessageLog log;
    CSectomatApp app;
};
