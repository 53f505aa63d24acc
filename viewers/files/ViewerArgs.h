#pragma once

#include <string>
#include <vector>

// What the viewers are asked to do, from the words of their command lines (without the
// program's name). The switches /ip, /dc and /topo= are taken in any letter case; any other
// word that is not an option names a file, so an absolute path starting with '/' stays a path.

struct CPictureOptions {
    std::string png; // write this picture and no window; empty: a window
    int width = 1200;
    int height = 700;
};

// velquor-model-viewer MESH MODEL [/ip|/sens] [/doi=FILE] [--png FILE [--size WxH] [--whole]
// [--no-mesh-lines]]
struct CModelViewerArgs {
    std::string meshPath;
    std::string modelPath;
    bool ip = false;
    bool sensitivity = false; // the model is ferrovan's cumulative sensitivity
    std::string doiPath;      // a depth of investigation to draw over the model; empty: none
    bool wholeMesh = false;
    bool meshLines = true;
    bool help = false;
    CPictureOptions picture;
};

// velquor-data-viewer DATA /dc|/ip [/topo=FILE] [--png FILE [--size WxH] [--n-level]]
struct CDataViewerArgs {
    std::string dataPath;
    bool ip = false;
    std::string topoPath; // empty: no topography
    bool nLevel = false;
    bool help = false;
    CPictureOptions picture;
};

// The picture of the estimated error that the data viewer's --png PICTURE writes beside it:
// PICTURE without ".png", then "-error.png".
std::string ErrorPictureName(const std::string& png);

extern const char* const kModelViewerUsage;
extern const std::string kDataViewerUsage;

// Each gives "" when the words make sense, otherwise what is wrong with them.
std::string ParseModelViewerArgs(const std::vector<std::string>& words, CModelViewerArgs& args);
std::string ParseDataViewerArgs(const std::vector<std::string>& words, CDataViewerArgs& args);
