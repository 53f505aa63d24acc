#pragma once

#include "files/ViewerArgs.h"

#include <memory>

class CModelViewerWindow;
class CDataViewerWindow;

// The viewers' programs: with --png they write the picture and end, without any window (the
// data viewer also the estimated error's, naming on standard error an estimate it cannot draw);
// otherwise they open a window. A file that cannot be shown, or a picture that needs more memory
// than there is, gives its message (on standard error with --png, in a box otherwise) and exit
// status 1; a wrong command line gives status 2.
int ModelViewerMain(int argc, char** argv);
int DataViewerMain(int argc, char** argv);

// The windows, for a running QApplication; null after the message box when a file cannot be
// shown. The window is shown.
std::unique_ptr<CModelViewerWindow> OpenModelViewer(const CModelViewerArgs& args);
std::unique_ptr<CDataViewerWindow> OpenDataViewer(const CDataViewerArgs& args);
