#include "formats/ValuesFile.h"
#include "BadFiles.h"

#include <cmath>
#include <limits>

namespace {

TEST(ValuesFile, WrittenRowByRowAndReadBackToTheFloat)
{
    CommaLocale comma;
    TempDir dir;
    // 10^-2.5 needs eight digits to come back; the others keep their six.
    const std::vector<float> values = {0.001f, 1e-8f, 0.01f, 1, std::pow(10.0f, -2.5f), -10};
    CValuesFile::Write(dir.File("model.con"), 3, 2, values);
    EXPECT_EQ(ReadBytes(dir.File("model.con")), "3 2\r\n0.001 1e-08 0.01 \r\n1 0.0031622776 -10 \r\n");
    const CValuesFile back = CValuesFile::Read(dir.File("model.con"));
    ASSERT_EQ(back.values.size(), values.size());
    for (size_t j = 0; j < values.size(); ++j)
        EXPECT_EQ(static_cast<float>(back.values[j]), values[j]) << j;
    EXPECT_EQ(back.At(2, 1), -10);
    EXPECT_EQ(CValuesFile::Parse("2 1 +1e-3\n\n\t5", "").values, (std::vector<double>{0.001, 5}));

    // What no file can hold is not written at all.
    const std::vector<float> infinite = {1, std::numeric_limits<float>::infinity()};
    EXPECT_THROW(CValuesFile::Write(dir.File("inf.con"), 2, 1, infinite), CFormatError);
    EXPECT_EQ(FileNames(dir.Path()), std::vector<std::string>{"model.con"});
}

TEST(ValuesFile, BadFilesAreRefusedWithTheirLine)
{
    ExpectRefused(
        {
            {"Empty", "", "It does not start with its numbers of columns and rows."},
            {"ColumnsNotANumber", "x 2\r\n", "Line 1: expected the numbers of columns and rows, from 1 to 10000000"},
            {"NoRows", "2 0\r\n", "Line 1: expected the numbers of columns and rows"},
            {"100000By100000Cells", "100000 100000\r\n", "Line 1: 100000 x 100000 cells are more than the 20000000"},
            {"ThreeOfFourValues", "2 2\r\n1 1 \r\n1 ", "It ends after 3 of its 2 x 2 values."},
            {"CommaDecimal", "2 2\r\n1 1,5 \r\n1 1 \r\n",
             "Line 2: the value of the cell in column 2, row 1 is not a finite number: \"1,5\"."},
            {"NaNInAnAirCell", "2 2\r\n1e-08 1 \r\n1 nan \r\n", "Line 3: the value of the cell in column 2, row 2"},
            {"Infinity", "2 2\r\n1 1 \r\ninf 1 \r\n", "Line 3: the value of the cell in column 1, row 2"},
            {"OneExtraValue", "2 2\r\n1 1 \r\n1 1 \r\n1 \r\n", "Line 4: the file holds more than its 2 x 2 values."},
        },
        [](const std::string& path, EModelKind) { CValuesFile::Read(path); });
}

} // namespace
