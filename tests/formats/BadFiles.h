#pragma once

#include "formats/Choices.h"
#include "formats/FormatError.h"
#include "platform/FileException.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

// A row of a format's table of bad files, named after what is in it: its bytes and words of the
// message that refuses it; kind picks the reader where a format has two (DC and IP data).
struct BadFile {
    const char* name;
    std::string bytes;
    const char* says;
    EModelKind kind = EModelKind::dc;
};

// Reads every row, and besides them what is no file of any format (missing, a folder, a named
// pipe, a device, a file larger than any), through read(path, kind). Each must be refused at
// once by a message that names the file on its first line and holds the row's words.
template <class Read>
void ExpectRefused(std::vector<BadFile> rows, Read read)
{
    rows.insert(rows.end(), {{"Missing", "<missing>", "Cannot find this file."},
                             {"Folder", "<folder>", "It is a folder, not a file."},
                             {"NamedPipe", "<fifo>", "It is not a regular file"},
                             {"Device", "<device>", "It is not a regular file"},
                             {"LargerThanAnyFileOfItsKind", "<huge>", "It is larger than"}});
    TempDir dir;
    int count = 0;
    for (const BadFile& row : rows) {
        const std::string path = row.bytes == "<device>" ? "/dev/zero" : dir.File("bad" + std::to_string(++count));
        if (row.bytes == "<folder>")
            ::mkdir(path.c_str(), 0755);
        else if (row.bytes == "<fifo>")
            ::mkfifo(path.c_str(), 0644);
        else if (row.bytes == "<huge>")
            EXPECT_EQ((WriteBytes(path, ""), ::truncate(path.c_str(), 8LL << 30)), 0); // sparse: costs nothing
        else if (row.bytes != "<missing>" && row.bytes != "<device>")
            WriteBytes(path, row.bytes);
        std::string message = "(read)";
        const auto start = std::chrono::steady_clock::now();
        try {
            read(path, row.kind);
        } catch (const CFormatError& e) {
            message = e.what();
        } catch (const CFileException& e) {
            message = e.GetErrorMessage();
        }
        EXPECT_NE(message.find(row.says), std::string::npos) << row.name << ": " << message;
        EXPECT_EQ(message.rfind(path + "\n", 0), 0u) << row.name << ": " << message;
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5)) << row.name;
    }
}
