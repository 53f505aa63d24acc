#pragma once

#include "platform/WinApp.h"

// Velquor Model Maker: one model, one window.
class CSectomatApp : public CWinApp {
public:
    CSectomatApp();

    // Starts with a new model (asking for its frame) or opens the model file named on the
    // command line, then shows the main window. False ends the program.
    bool InitInstance() override;

protected:
    void OnAppAbout();
};

// Runs the program: the desktop's message boxes, the application, the event loop.
int RunSectomatApp(int argc, char** argv);
