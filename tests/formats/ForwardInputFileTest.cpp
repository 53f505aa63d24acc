#include "formats/ForwardInputFile.h"
#include "BadFiles.h"
#include "formats/FileNames.h"

namespace {

TEST(ForwardInputFile, WrittenLineByLineAndReadBack)
{
    TempDir dir;
    CForwardInputFile f;
    f.type = EForwardType::dcIp;
    f.meshFile = "/my data/old mesh 1.txt ";
    f.locationsFile = "loc2d.txt", f.conductivityFile = "model2d.con", f.chargeabilityFile = "model2d.chg";
    f.topographyFile = "topo2d.txt";
    f.sensitivityFile = "sens2d.con", f.jacobianFile = "jacobian.bin", f.doiFile = "doi2d.txt";
    f.Write(dir.File("ferrovan.inp"));
    EXPECT_EQ(ReadBytes(dir.File("ferrovan.inp")),
              "FWD IP\r\nMESH FILE /my data/old mesh 1.txt \r\nLOC LOC_X loc2d.txt\r\n"
              "COND FILE model2d.con\r\nCHG FILE model2d.chg\r\n"
              "TOPO FILE topo2d.txt\r\nSENS FILE sens2d.con\r\nJACOBIAN FILE jacobian.bin\r\nDOI FILE doi2d.txt\r\n");
    std::vector<EForwardType> types;
    const CForwardInputFile back =
        CForwardInputFile::Read(dir.File("ferrovan.inp"), [&types](EForwardType t) { types.push_back(t); });
    EXPECT_EQ(back.Format(), f.Format());
    EXPECT_EQ(types, std::vector{EForwardType::dcIp});
    // The data files of each type, by the names the model maker and the viewers look for.
    using Names = std::vector<std::string>;
    EXPECT_EQ(DataFileNames(EForwardType::dc), Names{"obs_dc.dat"});
    EXPECT_EQ(DataFileNames(EForwardType::dcIp), (Names{"obs_dc.dat", "obs_ip.dat"}));
    EXPECT_EQ(DataFileNames(EForwardType::dcIpl), (Names{"obs_dc.dat", "obs_ipL.dat"}));

    // A survey design, its numbers written exactly.
    f.design = {1000, 2.5, -57.5, 60, 0, 0.1};
    f.protocolFile = "protocol_optimized.txt", f.designFile = "survey_design.txt";
    const std::string design = "OPTIMIZE SURVEY 1000 2.5 -57.5 60 0 0.1\nPROTOCOL FILE protocol_optimized.txt\n"
                               "DESIGN FILE survey_design.txt\n";
    EXPECT_NE(f.Format().find(design), std::string::npos);
    EXPECT_EQ(CForwardInputFile::Parse(f.Format(), "").Format(), f.Format());

    // DC needs no chargeability; unknown lines are kept for a warning; a later line wins.
    const CForwardInputFile dc =
        CForwardInputFile::Parse("FWD DC\nMESH FILE a\nLOC LOC_X b\nCOND FILE c\nVERSION 2\nMESH FILE d\n", "");
    EXPECT_EQ(dc.Format(), "FWD DC\nMESH FILE d\nLOC LOC_X b\nCOND FILE c\n");
    EXPECT_EQ(dc.unknownLines, (std::vector<std::pair<int, std::string>>{{5, "VERSION 2"}}));

    // A name that would break its line is not written.
    f.chargeabilityFile = "two\nlines";
    EXPECT_THROW(f.Write(dir.File("broken.inp")), CFormatError);
    f.chargeabilityFile = "model2d.chg", f.doiFile = "doi\r";
    EXPECT_THROW(f.Write(dir.File("broken.inp")), CFormatError);
    EXPECT_EQ(FileNames(dir.Path()), std::vector<std::string>{"ferrovan.inp"});
}

TEST(ForwardInputFile, BadFilesAreRefusedNamingTheMissingLine)
{
    const std::string rest = "LOC LOC_X loc2d.txt\r\nCOND FILE model2d.con\r\n";
    auto design = [&rest](const std::string& numbers) {
        return "FWD DC\r\nMESH FILE m\r\n" + rest + "OPTIMIZE SURVEY " + numbers +
               "\r\nPROTOCOL FILE p\r\nDESIGN FILE d\r\n";
    };
    const char* const kDesign = "Line 5: a survey design is a count from 1 to 1000000, the electrode spacing and the "
                                "section x1 x2 z1 z2";
    ExpectRefused(
        {
            {"Empty", "", "The forward type (a line FWD DC, FWD IP or FWD IPL) is missing."},
            {"LowerCaseType", "fwd dc\r\nMESH FILE m\r\n" + rest, "The forward type"},
            {"NoMeshLine", "FWD DC\r\n" + rest, "The mesh file (a line MESH FILE) is missing."},
            {"MeshLineWithoutAName", "FWD DC\r\nMESH FILE \r\n" + rest, "The mesh file (a line MESH FILE) is"},
            {"NoLocationsLine", "FWD DC\r\nMESH FILE m\r\nCOND FILE c\r\n", "The electrode locations file"},
            {"NoConductivityLine", "FWD DC\r\nMESH FILE m\r\nLOC LOC_X l\r\n", "The conductivity file"},
            {"IpWithoutChargeability", "FWD IPL\r\nMESH FILE m\r\n" + rest,
             "The chargeability file (a line CHG FILE), which FWD IPL needs, is missing."},
            // Found by fuzzing: a CR left before CR LF did not come back once written.
            {"NameEndingInCarriageReturn", "FWD DC\r\nMESH FILE a\r\r\n" + rest,
             "Line 2: the file name \"a\r\" holds a carriage return"},
            // Each number of a design line on each side of what it may be.
            {"DesignCountZero", design("0 1 0 10 0 5"), kDesign},
            {"DesignCountAboveTheLimit", design("1000001 1 0 10 0 5"), kDesign},
            {"DesignCountNotAnInteger", design("1.5 1 0 10 0 5"), kDesign},
            {"DesignSpacingZero", design("10 0 0 10 0 5"), kDesign},
            {"DesignSpacingTooLarge", design("10 2e12 0 10 0 5"), kDesign},
            {"DesignSectionWithoutWidth", design("10 1 10 10 0 5"), kDesign},
            {"DesignSectionBeyondTheLimit", design("10 1 0 2e12 0 5"), kDesign},
            {"DesignSectionWithoutDepth", design("10 1 0 10 5 5"), kDesign},
            {"DesignNumberMissing", design("10 1 0 10 0"), kDesign},
            {"DesignNumberTooMany", design("10 1 0 10 0 5 6"), kDesign},
            {"DesignNotANumber", design("10 1 0 10 0 five"), kDesign},
            {"DesignWithoutProtocol",
             "FWD DC\r\nMESH FILE m\r\n" + rest +
                 "OPTIMIZE SURVEY 10 1 0 10 0 5\r\n"
                 "DESIGN FILE d\r\n",
             "The file a survey design writes"},
            {"DesignWithoutReport",
             "FWD DC\r\nMESH FILE m\r\n" + rest +
                 "OPTIMIZE SURVEY 10 1 0 10 0 5\r\n"
                 "PROTOCOL FILE p\r\n",
             "The file a survey design writes"},
            {"CarriageReturnInAName", "FWD DC\r\nMESH FILE m\r\n" + rest + "SENS FILE s\r2.con\r\n",
             "Line 5: the file name \"s\r2.con\" holds a carriage return"},
        },
        [](const std::string& path, EModelKind) { CForwardInputFile::Read(path); });
}

} // namespace
