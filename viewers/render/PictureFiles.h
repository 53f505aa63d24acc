#pragma once

#include "files/ViewerArgs.h"
#include "formats/Choices.h"

#include <memory>
#include <string>

class CModelPicture;
class CDataPicture;
class QGuiApplication;

// Reads the files a viewer names and builds its picture; null with the message in error.
std::unique_ptr<CModelPicture> LoadModelPicture(const CModelViewerArgs& args, std::string& error);
std::unique_ptr<CDataPicture> LoadDataPicture(const std::string& dataPath, EModelKind kind, const std::string& topoPath,
                                              std::string& error);

// The pictures of the --png options, from the files to the PNG file: "" or the message.
// A graphical application object must exist (see COffscreenGui).
std::string WriteModelPng(const CModelViewerArgs& args);
// With note, as the data viewer's --png: also the estimated error beside the data file, when it
// fits the data, as ErrorPictureName; note says why one lying there is not drawn, and errorDrawn
// whether it was.
std::string WriteDataPng(const CDataViewerArgs& args, std::string* note = nullptr, bool* errorDrawn = nullptr);

// Makes drawing possible without a window system: creates a QGuiApplication on the offscreen
// platform unless an application object exists already, and ends it on destruction.
class COffscreenGui {
public:
    COffscreenGui();
    ~COffscreenGui();
    COffscreenGui(const COffscreenGui&) = delete;
    COffscreenGui& operator=(const COffscreenGui&) = delete;

    // False when an application object without graphics (QCoreApplication) is in the way.
    bool Ready() const;

private:
    int m_argc = 3;
    char* m_argv[4];
    std::unique_ptr<QGuiApplication> m_app;
};
