#include "formats/ExportFiles.h"
#include "formats/ExportReaders.h"
#include "platform/StdioFile.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

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

TEST(ExportFiles, TinySurveyWrittenAsEachInversionProgramReadsIt)
{
    CommaLocale comma;
    const CExportSurvey s = Tiny();
    CExportSurvey dc = s;
    dc.ip = false;
    const std::pair<const char*, std::string> files[] = {
        {"tiny.ohm", s.FormatUnified()},
        {"tiny-res2dinv.dat", s.FormatRes2dinv(false)},
        {"tiny-resipy.dat", s.FormatRes2dinv(true)},
        {"tiny-protocol.dat", s.FormatProtocol()},
        {"tiny-protocol-dc.dat", dc.FormatProtocol({false})},
        {"tiny_electrodes.csv", s.FormatProtocolElectrodes()},
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

// The same datum whichever way a format turns it: a dipole-pole as its reciprocal pole-dipole,
// a four-electrode datum with r >= 0 (M and N swapped).
CExportDatum Canonical(CExportDatum d)
{
    if (d.n == 0 && d.b != 0)
        d = {d.m, 0, d.a, d.b, d.r, d.k, d.rhoa, d.eta, d.rSd, d.etaSd};
    if (d.r < 0 && d.n != 0)
        std::swap(d.m, d.n), d.r = -d.r;
    return d;
}

TEST(ExportFiles, EveryFormatGivesBackElectrodesPolesAndValues)
{
    CExportSurvey topo;
    topo.title = "Hill TYPE 2";
    topo.ip = true;
    topo.electrodes = {{0, 0}, {10, 1.5}, {20, 2.25}, {30, -0.125}, {40, 0.1}};
    topo.data = {{1, 0, 2, 0, 0.0318310, 0, 0, 0.01, 0.001, 0.5},          // pole-pole
                 {1, 0, 3, 4, 0.0053052, 0, 0, 0.0123456, 0.0002, 0.25},   // pole-dipole
                 {2, 3, 5, 0, -0.0041, 0, 0, 0.02, 0.0001, 0.125},         // dipole-pole
                 {1, 2, 4, 5, -0.000123456, 0, 0, 0.005, 0.00001, 1},      // dipole-dipole
                 {2, 1, 4, 5, 0.000123456, 0, 0, 0.00012345, 0.00001, 2}}; // turned round
    CExportSurvey flat = topo;
    flat.ip = false;
    for (CExportElectrode& e : flat.electrodes)
        e.z = 0;
    CExportOptions options;
    options.phaseFactor = 1.2;
    struct Format {
        const char* name;
        bool errors; // gives back the standard deviations
        std::function<CExportSurvey(const CExportSurvey&)> roundTrip;
    } formats[] = {
        {"unified", false, [](auto& s) { return ParseUnified(s.FormatUnified(), "u"); }},
        {"res2dinv", false, [](auto& s) { return ParseRes2dinv(s.FormatRes2dinv(false), "r"); }},
        {"resipy", false, [](auto& s) { return ParseRes2dinv(s.FormatRes2dinv(true), "r"); }},
        {"protocol", true,
         [&](auto& s) {
             return ParseProtocol(s.FormatProtocol(options), s.FormatProtocolElectrodes(), "p", s.ip, options);
         }},
    };
    for (const Format& f : formats)
        for (const CExportSurvey* s : {&topo, &flat}) {
            SCOPED_TRACE(std::string(f.name) + (s->ip ? " with IP" : " DC"));
            const CExportSurvey back = f.roundTrip(*s);
            EXPECT_EQ(back.ip, s->ip);
            ASSERT_EQ(back.electrodes.size(), s->electrodes.size());
            for (size_t i = 0; i < s->electrodes.size(); ++i)
                EXPECT_TRUE(back.electrodes[i].x == s->electrodes[i].x && back.electrodes[i].z == s->electrodes[i].z);
            ASSERT_EQ(back.data.size(), s->data.size());
            for (size_t i = 0; i < s->data.size(); ++i) {
                const CExportDatum want = Canonical(s->data[i]), got = Canonical(back.data[i]);
                EXPECT_EQ(std::vector<int>({got.a, got.b, got.m, got.n}),
                          std::vector<int>({want.a, want.b, want.m, want.n}));
                EXPECT_NEAR(got.r, want.r, 5e-6 * std::fabs(want.r));
                EXPECT_NEAR(got.eta, s->ip ? want.eta : 0, 5e-6 * want.eta);
                if (f.errors) {
                    EXPECT_NEAR(got.rSd, want.rSd, 5e-6 * want.rSd);
                    EXPECT_NEAR(got.etaSd, s->ip ? want.etaSd : 0, 5e-6 * want.etaSd);
                }
            }
            if (std::string(f.name).find("res") == 0) {
                EXPECT_EQ(back.title, "Hill type 2");
            }
        }
}

} // namespace
