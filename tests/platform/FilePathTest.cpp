#include "platform/FilePath.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// A backslash is part of a name: "other\\x.model" is a file here, not a folder "other".
TEST(FilePathTest, SplitsAtTheLastSlashOnly)
{
    const struct {
        const char* path;
        const char* name;   // FileNamePart
        const char* folder; // RemoveLastComponent
    } rows[] = {
        {"mesh.txt", "mesh.txt", ""},
        {"/home/geo/mesh.txt", "mesh.txt", "/home/geo"},
        {"other\\x.model", "other\\x.model", ""},
        {"models/", "", "models"},
        {"a/b\\c.txt", "b\\c.txt", "a"},
        {"a\\b/c.txt", "c.txt", "a\\b"},
        {"/mesh.txt", "mesh.txt", "/"},
        {"", "", ""},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(FileNamePart(row.path), row.name) << '"' << row.path << '"';
        EXPECT_EQ(RemoveLastComponent(row.path), row.folder) << '"' << row.path << '"';
    }
}

TEST(FilePathTest, SameFileNameIgnoresOnlyAsciiLetterCase)
{
    const struct {
        const char* a;
        const char* b;
        bool same;
    } rows[] = {
        {"model2d.con", "MODEL2D.CON", true},
        {"Model2D.chg", "model2d.CHG", true},
        {"", "", true},
        {"model2d.con", "model2d.co", false},
        {"model2d.con", "model2d.chg", false},
        {"model2d.con", "", false},
        // These differ from each other only where letters differ in case; they are no letters.
        {"[", "{", false},
        {"@", "`", false},
        {"^", "~", false},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(SameFileNameNoCase(row.a, row.b), row.same) << '"' << row.a << "\" vs \"" << row.b << '"';
        EXPECT_EQ(SameFileNameNoCase(row.b, row.a), row.same) << '"' << row.b << "\" vs \"" << row.a << '"';
    }
}

} // namespace
