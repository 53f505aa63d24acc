#include "platform/StdioFile.h"
#include "platform/FileException.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

unsigned Mode(const std::string& path)
{
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st.st_mode & 07777;
}

void WriteFile(const std::string& path, const std::vector<std::string>& pieces)
{
    CStdioFile file(path, CStdioFile::modeCreate | CStdioFile::modeWrite);
    for (const std::string& piece : pieces)
        file.WriteString(piece);
    file.Close();
}

TEST(StdioFileTest, EveryLineEndWrittenBecomesCrLf)
{
    TempDir dir;
    const std::string longLine(5000, 'x'); // beyond the stream's buffer
    WriteFile(dir.File("out.txt"), {"1 2\n3\n", "4", "\n\n", longLine + "\n", "end"});
    EXPECT_EQ(ReadBytes(dir.File("out.txt")), "1 2\r\n3\r\n4\r\n\r\n" + longLine + "\r\nend");
}

TEST(StdioFileTest, TheTargetChangesOnlyAtCloseAndKeepsItsPermissions)
{
    TempDir dir;
    {
        CStdioFile file(dir.File("new.txt"), CStdioFile::modeCreate | CStdioFile::modeWrite);
        file.WriteString("lost\n");
    }
    EXPECT_TRUE(FileNames(dir.Path()).empty()) << "a writer destroyed without Close leaves no file behind";

    const std::string path = dir.File("model.txt");
    WriteBytes(path, "old\r\n");
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    for (bool close : {false, true}) {
        CStdioFile file(path, CStdioFile::modeCreate | CStdioFile::modeWrite);
        file.WriteString("new\n");
        EXPECT_EQ(ReadBytes(path), "old\r\n");
        if (close)
            file.Close();
    }
    EXPECT_EQ(ReadBytes(path), "new\r\n");
    EXPECT_EQ(Mode(path), 0640u);
    EXPECT_EQ(FileNames(dir.Path()), std::vector<std::string>{"model.txt"});

    // A signal that ends the program takes the temporary file of an open writer with it.
    {
        CStdioFile file(path, CStdioFile::modeCreate | CStdioFile::modeWrite);
        const std::vector<std::string> names = FileNames(dir.Path());
        ASSERT_EQ(names.size(), 2u);
        EXPECT_TRUE(IsTemporaryFileOf(names[0], "model.txt")) << names[0];
        RemoveOpenTemporaryFiles();
        EXPECT_EQ(FileNames(dir.Path()), std::vector<std::string>{"model.txt"});
        EXPECT_THROW(file.Close(), CFileException);
    }
    for (const char* name : {".model.txt.Ab12C", ".model.txt.Ab12C-", "model.txt.Ab12Cd", ".model.txtAAb12Cd"})
        EXPECT_FALSE(IsTemporaryFileOf(name, "model.txt")) << name;

    // A new file gets the usual mode under the umask, not the private one of a temporary file.
    mode_t previous = ::umask(027);
    WriteFile(dir.File("fresh.txt"), {"x\n"});
    ::umask(previous);
    EXPECT_EQ(Mode(dir.File("fresh.txt")), 0640u);
}

// A folder that arrived with "mesh2d.txt -> victim.txt": the writers put a file in the link's
// place and leave the victim alone.
TEST(StdioFileTest, ALinkInTheFilesPlaceIsReplacedNotWrittenThrough)
{
    const struct {
        const char* name;
        std::function<void(const std::string&)> write;
    } rows[] = {
        {"CStdioFile", [](const std::string& path) { WriteFile(path, {"new\n"}); }},
        {"OpenReplacingLink",
         [](const std::string& path) {
             const int fd = OpenReplacingLink(path, O_WRONLY | O_APPEND);
             EXPECT_EQ(::write(fd, "new\r\n", 5), 5);
             ::close(fd);
         }},
    };
    for (const auto& row : rows) {
        TempDir dir;
        WriteBytes(dir.File("victim.txt"), "old\r\n");
        ASSERT_EQ(::symlink("victim.txt", dir.File("mesh2d.txt").c_str()), 0);
        row.write(dir.File("mesh2d.txt"));
        EXPECT_FALSE(std::filesystem::is_symlink(dir.File("mesh2d.txt"))) << row.name;
        EXPECT_EQ(ReadBytes(dir.File("mesh2d.txt")), "new\r\n") << row.name;
        EXPECT_EQ(ReadBytes(dir.File("victim.txt")), "old\r\n") << row.name;
    }
}

// The model file the user saves through a link stays behind it, also before the file exists.
TEST(StdioFileTest, WritingToTheFollowedLinkKeepsTheLink)
{
    TempDir dir;
    WriteBytes(dir.File("real.txt"), "old\r\n");
    ASSERT_EQ(::symlink("real.txt", dir.File("link.txt").c_str()), 0);
    ASSERT_EQ(::symlink("later.txt", dir.File("dangling.txt").c_str()), 0);
    WriteFile(FollowLink(dir.File("link.txt")), {"new\n"});
    WriteFile(FollowLink(dir.File("dangling.txt")), {"first\n"});
    EXPECT_TRUE(std::filesystem::is_symlink(dir.File("link.txt")) &&
                std::filesystem::is_symlink(dir.File("dangling.txt")));
    EXPECT_EQ(ReadBytes(dir.File("real.txt")), "new\r\n");
    EXPECT_EQ(ReadBytes(dir.File("later.txt")), "first\r\n");
}

TEST(StdioFileTest, AWriteThatFailsPartWayLeavesTheOldFile)
{
    TempDir dir;
    const std::string path = dir.File("model.txt");
    // A file size limit makes a write fail part way, as a full disk would: once while writing,
    // once in the flush at Close.
    for (auto [limit, lines] : {std::pair<rlim_t, int>{4096, 1000}, {50, 1}}) {
        WriteBytes(path, "old model\r\n");
        rlimit previous{};
        ::getrlimit(RLIMIT_FSIZE, &previous);
        auto handler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit lowered = previous;
        lowered.rlim_cur = limit;
        ::setrlimit(RLIMIT_FSIZE, &lowered);
        try {
            CStdioFile file(path, CStdioFile::modeCreate | CStdioFile::modeWrite);
            for (int i = 0; i < lines; ++i)
                file.WriteString(std::string(99, 'x') + "\n");
            file.Close();
            ADD_FAILURE() << lines << " lines written under a limit of " << limit << " bytes";
        } catch (const CFileException& e) {
            EXPECT_EQ(e.m_strFileName, path);
            EXPECT_TRUE(e.m_bWriting);
        }
        ::setrlimit(RLIMIT_FSIZE, &previous);
        std::signal(SIGXFSZ, handler);
        EXPECT_EQ(ReadBytes(path), "old model\r\n") << "limit " << limit;
        EXPECT_EQ(FileNames(dir.Path()), std::vector<std::string>{"model.txt"}) << "limit " << limit;
    }
}

// The message of the error that opening path raises, or that checking it for a write raises.
std::string OpenError(const std::string& path, bool writing, bool check = false)
{
    try {
        if (check)
            CheckWritable(path);
        else
            CStdioFile file(path, writing ? CStdioFile::modeCreate | CStdioFile::modeWrite : CStdioFile::modeRead);
    } catch (const CFileException& e) {
        return e.GetErrorMessage();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "(opened)";
}

TEST(StdioFileTest, FilesThatCannotBeOpenedRaiseTheStandardMessages)
{
    TempDir dir;
    const std::string missing = dir.File("missing.txt"), lost = dir.File("nowhere/model.txt");
    const std::string folder = dir.File("folder"), pipe = dir.File("pipe");
    std::filesystem::create_directory(folder);
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0644), 0);
    const std::string notFound = "\nCannot find this file.\nVerify that the correct path and file name are given.";
    const std::string folderWrite = "Unable to write to " + folder + ", it is read-only or opened by someone else.";
    const std::string pipeWrite = "Cannot write " + pipe + ":\nit is not a regular file but a device or a named pipe.";
    // Checked before a write, the same refusals, but a missing folder is named as one.
    const struct {
        const char* name;
        std::string path;
        bool writing;
        std::string message, checked;
    } rows[] = {
        {"missing file", missing, false, missing + notFound, ""},
        {"new file, write", missing, true, "(opened)", "(opened)"},
        {"file in a missing folder, read", lost, false, lost + notFound, ""},
        {"file in a missing folder, write", lost, true, lost + notFound,
         "Cannot write " + lost + ":\nthe folder " + dir.File("nowhere") + " does not exist."},
        {"folder, read", folder, false, "Unable to read from " + folder + ", it is opened by someone else.", ""},
        {"folder, write", folder, true, folderWrite, folderWrite},
        // The new file would replace the pipe or device node.
        {"named pipe, write", pipe, true, pipeWrite, pipeWrite},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(OpenError(row.path, row.writing), row.message) << row.name;
        EXPECT_EQ(row.writing ? OpenError(row.path, true, true) : "", row.checked) << row.name;
    }
    EXPECT_EQ(FileNames(dir.Path()), (std::vector<std::string>{"folder", "pipe"}));
    EXPECT_TRUE(std::filesystem::is_fifo(pipe));
}

} // namespace
