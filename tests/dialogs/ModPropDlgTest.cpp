// The Model Properties dialog driven through its real controls, under a comma-decimal locale.
#include "dialogs/ModPropDlg.h"
#include "support/MessageLog.h"
#include "support/ModalDriver.h"

#include <QDialog>
#include <QLineEdit>

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>

namespace {

// Types x1, x2, the depth and the two backgrounds, then presses OK (and Cancel when refused).
int RunWith(CModPropDlg& dlg, const std::array<const char*, 5>& typed)
{
    return RunDialog(dlg, {{1000, typed[0]}, {1002, typed[1]}, {1003, typed[2]}, {1005, typed[3]}, {1006, typed[4]}});
}

// The tests mean something only when the C library would write a comma.
TEST(Environment, IsACommaDecimalLocale)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%g", 0.5);
    EXPECT_STREQ(buffer, "0,5");
}

TEST(ModPropDlg, ChecksReportTheFirstFailureAndKeepTheDialogOpen)
{
    struct Row {
        const char* name;
        std::array<const char*, 5> typed;
        const char* message; // nullptr: accepted
    } rows[] = {
        {"accepted", {"0", "200", "50", "-3", "0"}, nullptr},
        {"x1 equal to x2", {"100", "100", "50", "-3", "0"}, "x1 should be less than x2."},
        {"x1 above x2", {"300", "200", "50", "-3", "-1"}, "x1 should be less than x2."},
        {"negative chargeability", {"0", "200", "50", "-3", "-0.1"}, "Chargeability should be between positive."},
        {"zero depth", {"0", "200", "0", "-3", "0"}, "depth should be greater than 0."},
        {"comma decimal", {"0", "200", "50", "-2,5", "0"}, "Enter a number."},
        {"empty", {"0", "200", "", "-3", "0"}, "Enter a number."},
        {"beyond a float", {"0", "200", "50", "1e39", "0"}, "Enter a number."},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        MessageLog log;
        CModPropDlg dlg;
        EXPECT_EQ(RunWith(dlg, row.typed), row.message ? IDCANCEL : IDOK);
        EXPECT_EQ(log.Texts(), row.message ? std::vector<std::string>{row.message} : std::vector<std::string>{});
        for (const MessageLog::Box& box : log.Boxes())
            EXPECT_EQ(box.style, MB_OK);
    }
}

TEST(ModPropDlg, OkHandsBackTheTypedValues)
{
    MessageLog log;
    CModPropDlg dlg;
    ASSERT_EQ(RunWith(dlg, {"-12.5", "1234567.8912345", " 50 ", "-2.25", "0.125"}), IDOK);
    EXPECT_EQ(dlg.m_x1, -12.5);
    EXPECT_EQ(dlg.m_x2, 1234567.8912345);
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

TEST(ModPropDlg, DepthMustLieBelowTheCoreTop)
{
    MessageLog log;
    CModPropDlg dlg;
    dlg.m_top = 10;
    EXPECT_EQ(RunWith(dlg, {"0", "200", "10", "-3", "0"}), IDCANCEL);
    EXPECT_EQ(log.Last(), "depth should be greater than 10.");
}

TEST(ModPropDlg, RefusedFieldTakesTheFocusWithItsTextSelected)
{
    MessageLog log;
    CModPropDlg dlg;
    ModalAnswer answer = OnModal<QDialog>([](QDialog* d) {
        TypeInto(d, 1003, "deep");
        ClickItem(d, IDOK);
        auto* depth = qobject_cast<QLineEdit*>(DialogItem(d, 1003));
        EXPECT_EQ(d->focusWidget(), depth);
        EXPECT_EQ(depth->selectedText(), "deep");
        ClickItem(d, IDCANCEL);
    });
    dlg.DoModal();
    EXPECT_EQ(log.Texts(), std::vector<std::string>{"Enter a number."});
}

TEST(ModPropDlg, ControlsSitOnTheTemplateInTabOrder)
{
    const int bx = CDialog::BaseUnitX("MS Sans Serif", 8);
    const int by = CDialog::BaseUnitY("MS Sans Serif", 8);
    ASSERT_GT(bx, 0);
    ASSERT_GT(by, 0);
    CModPropDlg dlg;
    ModalAnswer answer = OnModal<QDialog>([&](QDialog* d) {
        EXPECT_EQ(d->windowTitle(), "Model Properties");
        auto du = [&](int x, int y, int w, int h) {
            return QRect(int(std::lround(x * bx / 4.0)), int(std::lround(y * by / 8.0)), int(std::lround(w * bx / 4.0)),
                         int(std::lround(h * by / 8.0)));
        };
        EXPECT_EQ(d->size(), du(0, 0, 162, 125).size());
        EXPECT_EQ(DialogItem(d, 1006)->geometry(), du(106, 81, 44, 14));
        EXPECT_EQ(DialogItem(d, IDOK)->geometry(), du(30, 104, 37, 14));

        std::vector<int> order;
        QWidget* w = DialogItem(d, IDOK);
        for (int i = 0; i < 7; ++i) {
            order.push_back(w->property("controlId").toInt());
            do
                w = w->nextInFocusChain();
            while (w->focusPolicy() == Qt::NoFocus || !w->property("controlId").isValid());
        }
        EXPECT_EQ(order, (std::vector<int>{IDOK, IDCANCEL, 1000, 1002, 1003, 1005, 1006}));
        ClickItem(d, IDCANCEL);
    });
    dlg.DoModal();
}

} // namespace
