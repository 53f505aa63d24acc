#pragma once

#include <string>
#include <string_view>
#include <vector>

// Reads a whole file into text. what names the file in messages ("Model file" gives "Model file
// not found:" and "Cannot read the model file:", each followed by the path). "" on success.
std::string ReadWholeFile(const std::string& path, const std::string& what, std::string& text);

// The message for a file that could not be opened, by the C library's error number.
std::string OpenFailureMessage(const std::string& path, const std::string& what, int error);

// The blank-separated words of a line.
std::vector<std::string_view> SplitWords(std::string_view line);
