#pragma once

#include <string>
#include <vector>

// The lines of a model file as the program writes it: a core area of 0..200 by 0..50, two DC
// blocks (the second sheared), one elliptical IP block and a hill of 5 in the middle.
inline const std::vector<std::string> kExampleModel = {
    "0 200 0 50  ! core area x1,x2, z1,z2 ",
    "2 -3  ! DC # of blocks, background",
    "40 80  10 20  -1  0 0",
    "100 140  5 25  -2  0.5 0",
    "1 0  ! IP # of blocks, background",
    "40 80  10 20  0.1  0 1",
    "3  ! topography points",
    "0 0",
    "100 -5",
    "200 0",
};

// The lines of the file of a new model: the default frame, no blocks, flat topography.
inline const std::vector<std::string> kNewModel = {"0 200 0 50  ! core area x1,x2, z1,z2 ",
                                                   "0 -3  ! DC # of blocks, background",
                                                   "0 0  ! IP # of blocks, background",
                                                   "2  ! topography points",
                                                   "0 0",
                                                   "200 0"};

// Lines joined, each ended by eol.
inline std::string Join(const std::vector<std::string>& lines, const char* eol = "\r\n")
{
    std::string text;
    for (const std::string& line : lines)
        text += line + eol;
    return text;
}

// The example model's file with line i replaced.
inline std::string ReplaceExampleLine(size_t i, const std::string& line)
{
    std::vector<std::string> lines = kExampleModel;
    lines[i] = line;
    return Join(lines);
}
