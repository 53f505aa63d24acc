#include "draw/Png.h"

#include "platform/FileException.h"
#include "platform/StdioFile.h"

#include <QBuffer>
#include <QImage>

std::string SavePng(const QImage& image, const std::string& path)
{
    // Encoded first, then written as every other file: through a temporary file that replaces
    // the old picture only once all of it is on the disk.
    QByteArray png;
    QBuffer buffer(&png);
    if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG"))
        return "Cannot write the picture:\n" + path;
    try {
        CStdioFile file(path, CStdioFile::modeCreate | CStdioFile::modeWrite);
        file.Write(png.constData(), static_cast<size_t>(png.size()));
        file.Close();
    } catch (const CFileException& e) {
        return "Cannot write the picture:\n" + e.GetErrorMessage();
    }
    return "";
}
