#include "files/ViewerArgs.h"

#include "formats/FileNames.h"
#include "platform/TextFormat.h"

#include <algorithm>
#include <cctype>

const char* const kModelViewerUsage =
    "Usage: velquor-model-viewer MESH-FILE MODEL-FILE [/ip|/sens] [/doi=DOI-FILE] [--png PICTURE [--size WxH]\n"
    "                            [--whole] [--no-mesh-lines]]\n"
    "Shows a conductivity model (or with /ip a chargeability model, with /sens the cumulative sensitivity\n"
    "that ferrovan writes, on a log scale) on its mesh.\n"
    "  /doi=FILE         draw the depth of investigation that ferrovan writes over the model\n"
    "  --png PICTURE     write the picture as a PNG file instead of opening a window\n"
    "  --size WxH        its size in pixels (default 1200x700)\n"
    "  --whole           show the whole mesh rather than its core region\n"
    "  --no-mesh-lines   leave out the mesh lines\n";

const std::string kDataViewerUsage =
    "Usage: velquor-data-viewer DATA-FILE /dc|/ip [/topo=TOPOGRAPHY-FILE] [--png PICTURE [--size WxH] [--n-level]]\n"
    "Shows the pseudo-section of apparent resistivity (/dc) or apparent chargeability (/ip).\n"
    "  /topo=FILE        draw the ground surface of a topography file above the section\n"
    "  --png PICTURE     write the picture as a PNG file instead of opening a window\n"
    "  --size WxH        its size in pixels (default 1200x700)\n"
    "  --n-level         plot by n-level rather than by pseudo-depth\n"
    "With " +
    std::string(kErrorFileName) +
    " beside the data file, --png data.png also writes its estimated error to data-error.png.\n";

namespace {

std::string Lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

bool ParseSize(const std::string& text, int& width, int& height)
{
    const size_t x = Lower(text).find('x');
    int w = 0, h = 0;
    if (x == std::string::npos || !ParseIntC(std::string_view(text).substr(0, x), w) ||
        !ParseIntC(std::string_view(text).substr(x + 1), h))
        return false;
    if (w < 64 || h < 64 || w > 8000 || h > 8000)
        return false;
    width = w;
    height = h;
    return true;
}

// Takes the picture options shared by both viewers; false when word is none of them.
// error is set when the option is wrong.
bool PictureOption(const std::vector<std::string>& words, size_t& i, CPictureOptions& picture, std::string& error)
{
    const std::string& word = words[i];
    if (word != "--png" && word != "--size")
        return false;
    if (i + 1 >= words.size()) {
        error = "The option " + word + " needs a value.";
        return true;
    }
    const std::string& value = words[++i];
    if (word == "--png")
        picture.png = value;
    else if (!ParseSize(value, picture.width, picture.height))
        error = "--size " + value + ": give the width and height in pixels, as 1200x700, each from 64 to 8000.";
    return true;
}

} // namespace

std::string ErrorPictureName(const std::string& png)
{
    const bool suffix = png.size() > 4 && Lower(png.substr(png.size() - 4)) == ".png";
    return (suffix ? png.substr(0, png.size() - 4) : png) + "-error.png";
}

std::string ParseModelViewerArgs(const std::vector<std::string>& words, CModelViewerArgs& args)
{
    args = CModelViewerArgs();
    std::vector<std::string> files;
    bool pictureOnly = false;
    for (size_t i = 0; i < words.size(); ++i) {
        const std::string& word = words[i];
        std::string error;
        if (PictureOption(words, i, args.picture, error)) {
            if (!error.empty())
                return error;
        } else if (Lower(word) == "/ip") {
            args.ip = true;
        } else if (Lower(word) == "/sens") {
            args.sensitivity = true;
        } else if (Lower(word).rfind("/doi=", 0) == 0) {
            args.doiPath = word.substr(5);
            if (args.doiPath.empty())
                return "/doi= needs the name of the depth of investigation file.";
        } else if (word == "--whole") {
            args.wholeMesh = pictureOnly = true;
        } else if (word == "--no-mesh-lines") {
            args.meshLines = false;
            pictureOnly = true;
        } else if (word == "--help") {
            args.help = true;
        } else if (word.rfind("--", 0) == 0) {
            return "Unknown option " + word + ".";
        } else {
            files.push_back(word);
        }
    }
    if (args.help)
        return "";
    if (files.size() != 2)
        return files.size() < 2 ? "Name the mesh file and the model file." : "Too many file names: " + files[2];
    if (pictureOnly && args.picture.png.empty())
        return "--whole and --no-mesh-lines go with --png.";
    if (args.ip && args.sensitivity)
        return "Give only one of /ip and /sens.";
    args.meshPath = files[0];
    args.modelPath = files[1];
    return "";
}

std::string ParseDataViewerArgs(const std::vector<std::string>& words, CDataViewerArgs& args)
{
    args = CDataViewerArgs();
    std::vector<std::string> files;
    int kinds = 0;
    for (size_t i = 0; i < words.size(); ++i) {
        const std::string& word = words[i];
        const std::string lower = Lower(word);
        std::string error;
        if (PictureOption(words, i, args.picture, error)) {
            if (!error.empty())
                return error;
        } else if (lower == "/dc" || lower == "/ip") {
            args.ip = lower == "/ip";
            ++kinds;
        } else if (lower.rfind("/topo=", 0) == 0) {
            args.topoPath = word.substr(6);
            if (args.topoPath.empty())
                return "/topo= needs the name of the topography file.";
        } else if (word == "--n-level") {
            args.nLevel = true;
        } else if (word == "--help") {
            args.help = true;
        } else if (word.rfind("--", 0) == 0) {
            return "Unknown option " + word + ".";
        } else {
            files.push_back(word);
        }
    }
    if (args.help)
        return "";
    if (files.size() != 1)
        return files.empty() ? "Name the data file." : "Too many file names: " + files[1];
    if (kinds != 1)
        return kinds == 0 ? "Say whether the data are DC (/dc) or IP (/ip)." : "Give only one of /dc and /ip.";
    args.dataPath = files[0];
    return "";
}
