#include "platform/TextFormat.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <string>

namespace {

// Every case runs under a comma-decimal locale: a number that goes through the user's
// conventions instead of the "C" ones shows up as a failure.
class TextFormatTest : public ::testing::Test {
protected:
    CommaLocale m_locale;
};

TEST_F(TextFormatTest, FormatCWritesAPointWhateverTheLocale)
{
    char plain[32];
    std::snprintf(plain, sizeof plain, "%g", 0.5);
    ASSERT_STREQ(plain, "0,5") << "the comma locale is not in force, so this test proves nothing";

    EXPECT_EQ(FormatC("%g", 0.001), "0.001");
    EXPECT_EQ(FormatC("%g", 1234567.8), "1.23457e+06");
    EXPECT_EQ(FormatC("%g %i", -2.5, 7), "-2.5 7");
    const std::string longText(1000, 'x');
    EXPECT_EQ(FormatC("%s|%g", longText.c_str(), 1.5), longText + "|1.5") << "longer than the first buffer";
}

// Rows are named by their input; -99 marks a field that was not stored.
TEST_F(TextFormatTest, ScanFieldsReadsIntegersAsScanfDoesButRefusesOverflow)
{
    const struct {
        const char* text;
        int count, a, b;
    } rows[] = {
        {"12 -7", 2, 12, -7},
        {"010 +1", 2, 8, 1},      // a leading 0 is octal
        {"0x10 0X1f", 2, 16, 31}, // a leading 0x is hexadecimal
        {"08", 2, 0, 8},          // 8 is no octal digit: it starts the next field
        {"5 x 7", 1, 5, -99},     // counting stops at the first failure
        {"-2147483648 2147483647", 2, INT_MIN, INT_MAX},
        {"2147483648 1", 0, -99, -99},
        {"-2147483649 1", 0, -99, -99},
        {"0x80000000 1", 0, -99, -99},
        {" \t 3\t\t4  ", 2, 3, 4},
        {"3 4 ! comment", 2, 3, 4},
        {"2.5 1", 1, 2, -99},
        {"- 3", 0, -99, -99},
        {"", 0, -99, -99},
    };
    for (const auto& row : rows) {
        int a = -99, b = -99;
        EXPECT_EQ(ScanFields(row.text, "%i %i", &a, &b), row.count) << '"' << row.text << '"';
        EXPECT_EQ(a, row.a) << '"' << row.text << '"';
        EXPECT_EQ(b, row.b) << '"' << row.text << '"';
    }
}

TEST_F(TextFormatTest, ScanFieldsReadsOnlyFiniteRealsWithAPoint)
{
    const struct {
        const char* text;
        int count;
        double d;
        float f;
    } rows[] = {
        {"1.5 2.25", 2, 1.5, 2.25f},       {"1e-3 -2E2", 2, 0.001, -200.0f}, {"1,5 2", 1, 1.0, -99.0f},
        {"nan 1", 0, -99.0, -99.0f},       {"1 nan", 1, 1.0, -99.0f},        {"inf 1", 0, -99.0, -99.0f},
        {"-infinity 1", 0, -99.0, -99.0f}, {"1e999 1", 0, -99.0, -99.0f},    {"1 1e39", 1, 1.0, -99.0f}, // beyond float
        {"1 3.4e38", 2, 1.0, 3.4e38f},
    };
    for (const auto& row : rows) {
        double d = -99;
        float f = -99;
        EXPECT_EQ(ScanFields(row.text, "%lf %f", &d, &f), row.count) << '"' << row.text << '"';
        EXPECT_DOUBLE_EQ(d, row.d) << '"' << row.text << '"';
        EXPECT_FLOAT_EQ(f, row.f) << '"' << row.text << '"';
    }
}

TEST_F(TextFormatTest, ScanFieldsMatchesLiteralsAndStopsAtNul)
{
    int n = 0, y = -99;
    double a = 0;
    EXPECT_EQ(ScanFields("#6 10", "#%i %lf", &n, &a), 2);
    EXPECT_EQ(n, 6);
    EXPECT_EQ(a, 10);
    EXPECT_EQ(ScanFields("6 10", "#%i", &n), 0) << "a missing literal stops the scan";
    EXPECT_EQ(ScanFields(" #6", "#%i", &n), 0) << "a literal does not skip blanks";
    EXPECT_EQ(ScanFields(std::string_view("1\0 2", 4), "%i %i", &n, &y), 1);
    EXPECT_EQ(y, -99);
    EXPECT_EQ(ScanFields("010", "%d", &n), 1);
    EXPECT_EQ(n, 10) << "%d is always decimal";
}

TEST_F(TextFormatTest, ParseDoubleCAndParseIntCTakeTheWholeText)
{
    struct Row {
        const char* text;
        bool ok;
        double value; // -99: left unchanged
    };
    const Row doubles[] = {
        {" 1.5 ", true, 1.5}, {"-0.001", true, -0.001}, {"1e3", true, 1000}, {"1.5x", false, -99},
        {"", false, -99},     {"   ", false, -99},      {"1,5", false, -99}, {"nan", false, -99},
        {"inf", false, -99},  {"1e999", false, -99},    {"1 2", false, -99},
    };
    for (const Row& row : doubles) {
        double v = -99;
        EXPECT_EQ(ParseDoubleC(row.text, v), row.ok) << '"' << row.text << '"';
        EXPECT_EQ(v, row.value) << '"' << row.text << '"';
    }
    const Row ints[] = {
        {" 42 ", true, 42},         {"-7", true, -7},     {"010", true, 10},     {"2147483647", true, INT_MAX},
        {"2147483648", false, -99}, {"42.0", false, -99}, {"0x10", false, -99},  {"1,5", false, -99},
        {"", false, -99},           {"4 2", false, -99},  {"12abc", false, -99},
    };
    for (const Row& row : ints) {
        int v = -99;
        EXPECT_EQ(ParseIntC(row.text, v), row.ok) << '"' << row.text << '"';
        EXPECT_EQ(v, row.value) << '"' << row.text << '"';
    }
}

} // namespace
