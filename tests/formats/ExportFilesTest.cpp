#include "formats/ExportFiles.h"
#include "platform/StdioFile.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// The hill model's three pole-dipole data with IP, electrodes on the profile 0, 100 -> 5, 200 -> 0.
CExportSurvey Tiny()
{
    CExportSurvey s;
    s.title = "Tiny pole-dipole example";
    s.spacing = 10;
    s.ip = true;
    s.electrodes = {{40, 2}, {60, 3}, {70, 3.5}, {80, 4}};
    s.data = {{1, 0, 2, 3, 1.65628, 120 * M_PI, 624.402, 0.00431611, 0.0341256, 0.5},
              {1, 0, 3, 4, 0.365432, 240 * M_PI, 275.529, 0.0157446, 0.00830864, 0.5},
              {2, 0, 3, 4, 4.35894, 40 * M_PI, 547.76, 0.00151614, 0.0881788, 0.5}};
    return s;
}

// Every kind of datum on a hill: pole-pole, pole-dipole, dipole-pole, dipole-dipole, and one
// with A and B turned round, whose reciprocal or swapped form each format must write.
CExportSurvey Hill()
{
    CExportSurvey s;
    s.title = "Hill TYPE 2";
    s.ip = true;
    s.electrodes = {{0, 0}, {10, 1.5}, {20, 2.25}, {30, -0.125}, {40, 0.1}};
    s.data = {{1, 0, 2, 0, 0.0318310, 0, 0, 0.01, 0.001, 0.5},
              {1, 0, 3, 4, 0.0053052, 0, 0, 0.0123456, 0.0002, 0.25},
              {2, 3, 5, 0, -0.0041, 0, 0, 0.02, 0.0001, 0.125},
              {1, 2, 4, 5, -0.000123456, 0, 0, 0.005, 0.00001, 1},
              {2, 1, 4, 5, 0.000123456, 0, 0, 0.00012345, 0.00001, 2}};
    return s;
}

// The golden files were checked line by line against each program's reader.
TEST(ExportFiles, SurveysWrittenAsEachInversionProgramReadsThem)
{
    CommaLocale comma;
    const CExportSurvey tiny = Tiny(), hill = Hill();
    CExportSurvey tinyDc = tiny, flat = hill;
    tinyDc.ip = false;
    flat.ip = false;
    for (CExportElectrode& e : flat.electrodes)
        e.z = 0;
    CExportOptions phase;
    phase.phaseFactor = 1.2;
    const std::pair<const char*, std::string> files[] = {
        {"tiny.ohm", tiny.FormatUnified()},
        {"tiny-res2dinv.dat", tiny.FormatRes2dinv(false)},
        {"tiny-resipy.dat", tiny.FormatRes2dinv(true)},
        {"tiny-protocol.dat", tiny.FormatProtocol()},
        {"tiny-protocol-dc.dat", tinyDc.FormatProtocol({false})},
        {"tiny_electrodes.csv", tiny.FormatProtocolElectrodes()},
        {"hill.ohm", hill.FormatUnified()},
        {"hill-res2dinv.dat", hill.FormatRes2dinv(false)},
        {"hill-resipy.dat", hill.FormatRes2dinv(true)},
        {"hill-protocol.dat", hill.FormatProtocol(phase)},
        {"hill_electrodes.csv", hill.FormatProtocolElectrodes()},
        {"flat.ohm", flat.FormatUnified()},
        {"flat-res2dinv.dat", flat.FormatRes2dinv(false)},
        {"flat-resipy.dat", flat.FormatRes2dinv(true)},
        {"flat-protocol.dat", flat.FormatProtocol()},
    };
    TempDir dir;
    for (const auto& [name, text] : files) {
        WriteTextFile(dir.File(name), text);
        EXPECT_EQ(ReadBytes(dir.File(name)), ReadBytes(std::string(VMM_GOLDEN) + "/" + name)) << name;
    }
}

TEST(ExportFiles, NumbersHaveAPointAndNoExponent)
{
    const struct {
        double value;
        int digits;
        const char* text;
    } rows[] = {
        {2, 0, "2.0"},
        {-0.0, 0, "0.0"},
        {-999999, 0, "-999999.0"},
        {0.30000000000000004, 0, "0.30000000000000004"},
        {1.5e12, 0, "1500000000000.0"},
        {-7.78025e-05, 6, "-0.0000778025"},
        {1234567, 6, "1234570.0"},
        {376.99111843077515, 9, "376.991118"},
        {0.999999951, 6, "1.0"},
    };
    for (const auto& row : rows) {
        std::string text;
        AppendDecimal(text, row.value, row.digits);
        EXPECT_EQ(text, row.text);
    }
}

} // namespace
