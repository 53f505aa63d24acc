// The Model Properties dialog driven through its real controls, under a comma-decimal locale.
#include "dialogs/ModPropDlg.h"
#include "support/MessageLog.h"
#include "support/ModalDriver.h"

#include <QDialog>

#include <gtest/gtest.h>

#include <array>
#include <cstdio>

namespace {

// Types x1, x2, top, depth and the two backgrounds, then presses OK (and Cancel when refused);
// focus gets the field that has the focus after a refusal.
int RunWith(CModPropDlg& dlg, const std::array<const char*, 6>& typed, int* focus = nullptr)
{
    return RunDialog(
        dlg,
        {{1000, typed[0]}, {1002, typed[1]}, {1001, typed[2]}, {1003, typed[3]}, {1005, typed[4]}, {1006, typed[5]}},
        {}, focus);
}

// The tests mean something only when the C library would write a comma.
TEST(Environment, IsACommaDecimalLocale)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%g", 0.5);
    EXPECT_STREQ(buffer, "0,5");
}

// Each refusal leaves the focus in the field it names; what the model file's reader takes, the
// dialog takes, up to its limits on either side.
TEST(ModPropDlg, ChecksReportTheFirstFailureAndKeepTheDialogOpen)
{
    const char* const kFloat = "The number is too large. Enter a number between -3.40282e+38 and 3.40282e+38.";
    struct Row {
        const char* name;
        std::array<const char*, 6> typed;
        const char* message; // nullptr: accepted
        int focus = 0;
    } rows[] = {
        {"x1 equal to x2", {"100", "100", "0", "50", "-3", "0"}, "x1 should be less than x2.", 1000},
        {"x1 above x2", {"300", "200", "0", "50", "-3", "-1"}, "x1 should be less than x2.", 1000},
        {"negative chargeability",
         {"0", "200", "0", "50", "-3", "-0.1"},
         "Chargeability should be between positive.",
         1006},
        {"top at the depth", {"0", "200", "10", "10", "-3", "0"}, "top should be less than depth.", 1001},
        {"comma decimal", {"0", "200", "0", "50", "-2,5", "0"}, "Enter a number.", 1005},
        {"empty", {"0", "200", "0", "", "-3", "0"}, "Enter a number.", 1003},
        {"beyond a float", {"0", "200", "0", "50", "1e39", "0"}, kFloat, 1005},
        {"beyond a double",
         {"0", "1e400", "0", "50", "-3", "0"},
         "The number is too large. Enter a number between -1.79769e+308 and 1.79769e+308.",
         1002},
        {"every position at its limit", {"-1e12", "1e12", "-1e12", "1e12", "-3", "0"}, nullptr},
        {"x1 beyond", {"-1.000001e12", "200", "0", "50", "-3", "0"}, "x1 should be between -1e+12 and 1e+12.", 1000},
        {"x2 beyond", {"0", "1.000001e12", "0", "50", "-3", "0"}, "x2 should be between -1e+12 and 1e+12.", 1002},
        {"top beyond", {"0", "200", "-1.000001e12", "50", "-3", "0"}, "top should be between -1e+12 and 1e+12.", 1001},
        {"depth beyond",
         {"0", "200", "0", "1.000001e12", "-3", "0"},
         "depth should be between -1e+12 and 1e+12.",
         1003},
        {"log conductivity 30", {"0", "200", "0", "50", "30", "0"}, nullptr},
        {"log conductivity -30", {"0", "200", "0", "50", "-30", "0"}, nullptr},
        {"log conductivity above 30",
         {"0", "200", "0", "50", "30.0001", "0"},
         "Background log conductivity should be between -30 and 30.",
         1005},
        {"log conductivity below -30",
         {"0", "200", "0", "50", "-30.0001", "0"},
         "Background log conductivity should be between -30 and 30.",
         1005},
        {"core at its least size", {"5", "5.000001", "0", "1e-06", "-3", "0"}, nullptr},
        {"x2 too close", {"5", "5.0000009", "0", "50", "-3", "0"}, "x2 should be at least 1e-06 more than x1.", 1002},
        {"depth too close",
         {"0", "200", "0", "9.99e-07", "-3", "0"},
         "depth should be at least 1e-06 more than top.",
         1003},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        MessageLog log;
        CModPropDlg dlg;
        int focus = -1;
        EXPECT_EQ(RunWith(dlg, row.typed, &focus), row.message ? IDCANCEL : IDOK);
        EXPECT_EQ(log.Texts(), row.message ? std::vector<std::string>{row.message} : std::vector<std::string>{});
        EXPECT_EQ(focus, row.focus);
        for (const MessageLog::Box& box : log.Boxes())
            EXPECT_EQ(box.style, MB_OK);
    }
}

TEST(ModPropDlg, OkHandsBackTheTypedValues)
{
    MessageLog log;
    CModPropDlg dlg;
    ASSERT_EQ(RunWith(dlg, {"-12.5", "1234567.8912345", "-6", " 50 ", "-2.25", "0.125"}), IDOK);
    EXPECT_TRUE(log.Empty());
    EXPECT_EQ(dlg.m_x1, -12.5);
    EXPECT_EQ(dlg.m_x2, 1234567.8912345);
    EXPECT_EQ(dlg.m_top, -6);
    EXPECT_EQ(dlg.m_depth, 50);
    EXPECT_EQ(dlg.m_dcBackground, -2.25f);
    EXPECT_EQ(dlg.m_ipBackground, 0.125f);
}

TEST(ModPropDlg, ShowsDoublesTo15AndFloatsTo6DigitsWithAPoint)
{
    CModPropDlg dlg;
    dlg.m_x1 = 0.1 + 0.2;
    dlg.m_x2 = 1234567.891234567;
    dlg.m_depth = 2.5e-7;
    dlg.m_dcBackground = 0.1f;
    dlg.m_ipBackground = 123456.78f;
    ModalAnswer answer = OnModal<QDialog>([](QDialog* d) {
        EXPECT_EQ(DialogItemText(d, 1000), "0.3");
        EXPECT_EQ(DialogItemText(d, 1002), "1234567.89123457");
        EXPECT_EQ(DialogItemText(d, 1003), "2.5e-07");
        EXPECT_EQ(DialogItemText(d, 1005), "0.1");
        EXPECT_EQ(DialogItemText(d, 1006), "123457");
        ClickItem(d, IDCANCEL);
    });
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_EQ(dlg.m_x2, 1234567.891234567); // Cancel takes nothing in
}

TEST(ModPropDlg, TabRunsFromTheButtonsThroughTheFieldsInOrder)
{
    CModPropDlg dlg;
    ModalAnswer answer = OnModal<QDialog>([&](QDialog* d) {
        std::vector<int> order;
        QWidget* w = DialogItem(d, IDOK);
        for (int i = 0; i < 8; ++i) {
            order.push_back(w->property("controlId").toInt());
            do
                w = w->nextInFocusChain();
            while (w->focusPolicy() == Qt::NoFocus || !w->property("controlId").isValid());
        }
        EXPECT_EQ(order, (std::vector<int>{IDOK, IDCANCEL, 1000, 1001, 1002, 1003, 1005, 1006}));
        ClickItem(d, IDCANCEL);
    });
    dlg.DoModal();
}

} // namespace
