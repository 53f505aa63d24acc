#pragma once

#include <string>

class QImage;

// Writes image as a PNG file, replacing the file only once the picture is complete.
// "" on success, otherwise the message.
std::string SavePng(const QImage& image, const std::string& path);
