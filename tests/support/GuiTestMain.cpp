#include "platform/Process.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

// GUI tests need the application object before any widget; Qt also takes the locale from the
// environment here, which the tests set to a comma-decimal one.
int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    // The program's companions (viewers, forward program) build beside the tests: a view that
    // updates a discretized model would start the real viewer, which would wait for a user
    // forever. Tests that want programs point at their own stand-ins.
    std::string none = (std::filesystem::temp_directory_path() / "vmm-no-programs-XXXXXX").string();
    if (::mkdtemp(none.data()))
        SetProgramFolder(none);
    const int result = RUN_ALL_TESTS();
    std::error_code ec;
    std::filesystem::remove_all(none, ec);
    return result;
}
