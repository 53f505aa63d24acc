#include "ui/ViewerMain.h"

#include "platform/MessageBox.h"
#include "platform/QtMessageBox.h"
#include "platform/ScreenFit.h"
#include "render/DataPicture.h"
#include "render/ModelPicture.h"
#include "render/PictureFiles.h"
#include "ui/DataViewerWindow.h"
#include "ui/ModelViewerWindow.h"

#include <QApplication>
#include <QFile>

#include <cstdlib>
#include <iostream>
#include <new>
#include <string>
#include <vector>

namespace {

bool Set(const char* name)
{
    const char* value = std::getenv(name);
    return value && *value;
}

// Without a display Qt's default platform aborts the program; say so instead.
bool CanOpenWindows(const std::vector<std::string>& words)
{
    for (const std::string& w : words)
        if (w == "-platform")
            return true;
    return Set("QT_QPA_PLATFORM") || Set("DISPLAY") || Set("WAYLAND_DISPLAY");
}

bool WantsPicture(const std::vector<std::string>& words)
{
    for (const std::string& w : words)
        if (w == "--png")
            return true;
    return false;
}

// Runs one viewer: parse is its command-line reader, picture writes its --png picture and open
// makes its window.
template <class Args, class Parse, class Picture, class Open>
int RunViewer(const char* name, const std::string& usage, int argc, char** argv, Parse parse, Picture picture,
              Open open)
{
    AfxSetAppName(name);
    const std::vector<std::string> raw(argv + 1, argv + argc);
    Args args;
    if (WantsPicture(raw) || !CanOpenWindows(raw)) {
        if (std::string error = parse(raw, args); !error.empty()) {
            std::cerr << error << "\n" << usage;
            return 2;
        }
        if (args.help) {
            std::cout << usage;
            return 0;
        }
        if (args.picture.png.empty()) {
            std::cerr << "There is no display to open a window on; write the picture to a file with --png PICTURE.\n";
            return 1;
        }
        COffscreenGui gui;
        std::string error;
        try {
            error = picture(args);
        } catch (const std::bad_alloc&) {
            error = kNoMemoryMessage;
        }
        if (!error.empty()) {
            std::cerr << error << "\n";
            return 1;
        }
        return 0;
    }

    QApplication app(argc, argv);
    InstallQtMessageBoxHandler();
    // Qt has taken its own options (such as -platform) out of the arguments.
    const QStringList qtArgs = QApplication::arguments();
    std::vector<std::string> words;
    for (qsizetype i = 1; i < qtArgs.size(); ++i)
        words.push_back(QFile::encodeName(qtArgs[i]).toStdString());
    if (std::string error = parse(words, args); !error.empty()) {
        std::cerr << error << "\n" << usage;
        AfxMessageBox(error + "\n\n" + usage, MB_ICONERROR);
        return 2;
    }
    if (args.help) {
        std::cout << usage;
        return 0;
    }
    // A picture too large for the memory ends the viewer with a message.
    int status = 1;
    RunReportingNoMemory([&] {
        auto window = open(args);
        if (window)
            status = QApplication::exec();
    });
    return status;
}

} // namespace

std::unique_ptr<CModelViewerWindow> OpenModelViewer(const CModelViewerArgs& args)
{
    std::string error;
    auto picture = LoadModelPicture(args, error);
    if (!picture) {
        AfxMessageBox(error, MB_ICONERROR);
        return nullptr;
    }
    auto window = std::make_unique<CModelViewerWindow>(std::move(picture));
    PlaceOnScreen(*window);
    window->show();
    return window;
}

std::unique_ptr<CDataViewerWindow> OpenDataViewer(const CDataViewerArgs& args)
{
    std::string error;
    auto picture = LoadDataPicture(args.dataPath, args.ip ? EModelKind::ip : EModelKind::dc, args.topoPath, error);
    if (!picture) {
        AfxMessageBox(error, MB_ICONERROR);
        return nullptr;
    }
    picture->nLevel = args.nLevel;
    auto window = std::make_unique<CDataViewerWindow>(std::move(picture), args.dataPath);
    PlaceOnScreen(*window);
    window->show();
    return window;
}

int ModelViewerMain(int argc, char** argv)
{
    return RunViewer<CModelViewerArgs>("velquor-model-viewer", kModelViewerUsage, argc, argv, ParseModelViewerArgs,
                                       WriteModelPng, OpenModelViewer);
}

int DataViewerMain(int argc, char** argv)
{
    // An estimate that cannot be drawn leaves the data's picture standing; say why.
    auto pictures = [](const CDataViewerArgs& args) {
        std::string note;
        const std::string error = WriteDataPng(args, &note);
        if (!note.empty())
            std::cerr << note << "\n";
        return error;
    };
    return RunViewer<CDataViewerArgs>("velquor-data-viewer", kDataViewerUsage, argc, argv, ParseDataViewerArgs,
                                      pictures, OpenDataViewer);
}
