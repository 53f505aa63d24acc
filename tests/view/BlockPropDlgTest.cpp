// The Block Properties dialog driven through its real controls.
#include "dialogs/BlockPropDlg.h"
#include "support/MessageLog.h"
#include "support/ModalDriver.h"

#include <QDialog>
#include <QLabel>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

// What the user types; nullptr leaves a field as shown.
struct Typed {
    const char* x1 = nullptr;
    const char* x2 = nullptr;
    const char* z1 = nullptr;
    const char* z2 = nullptr;
    const char* value = nullptr;
    const char* slope = nullptr;
    bool tickEllipse = false;
};

// A DC dialog showing log conductivity unless told otherwise, over the block 0..10 by 0..5.
struct Dialog : CBlockPropDlg {
    explicit Dialog(bool dc = true, bool conductivity = true, bool log10 = true, float background = -3)
        : CBlockPropDlg(background, dc, conductivity, log10)
    {
        m_x2 = 10;
        m_z2 = 5;
        m_value = dc ? -2 : 0.1f;
    }
};

// Types, presses OK and, when the dialog stays open, Cancel. Seen is called first with the dialog.
int RunDialog(CBlockPropDlg& dlg, const Typed& t, const std::function<void(QDialog*)>& seen = {})
{
    ModalAnswer answer = OnModal<QDialog>([&](QDialog* d) {
        if (seen)
            seen(d);
        const std::pair<int, const char*> fields[] = {{IDC_BLOCK_X1, t.x1},    {IDC_BLOCK_X2, t.x2},
                                                      {IDC_BLOCK_Z1, t.z1},    {IDC_BLOCK_Z2, t.z2},
                                                      {IDC_BLOCK_VALUE, t.value}, {IDC_BLOCK_SLOPE, t.slope}};
        for (auto [id, text] : fields)
            if (text)
                TypeInto(d, id, text);
        if (t.tickEllipse)
            ClickItem(d, IDC_BLOCK_ELLIPSE);
        ClickItem(d, IDOK);
        if (d->isVisible())
            ClickItem(d, IDCANCEL);
    });
    const int result = dlg.DoModal();
    EXPECT_TRUE(answer.Answered());
    return result;
}

QString Label(QDialog* d)
{
    auto* label = qobject_cast<QLabel*>(DialogItem(d, IDC_BLOCK_VALUE_LABEL));
    return label ? label->text() : QString();
}

TEST(BlockPropDlg, RefusesInTheOrderOfTheChecksAndStaysOpen)
{
    struct Row {
        const char* name;
        bool dc, conductivity, log10;
        Typed typed;
        const char* message; // nullptr: accepted
    } rows[] = {
        {"x1 equal to x2", true, true, true, {.x1 = "10"}, "x1 should be less than x2."},
        {"both reversed", true, true, true, {.x1 = "20", .z1 = "9"}, "x1 should be less than x2."},
        {"z1 equal to z2", true, true, true, {.z1 = "5", .slope = "4"}, "z1 should be less than z2."},
        {"slope above 3", true, true, true, {.slope = "3.0001"}, "slope should be between -3 and 3."},
        {"slope 3", true, true, true, {.slope = "3"}, nullptr},
        {"slope -3", true, true, true, {.slope = "-3"}, nullptr},
        {"slope below -3", false, true, true, {.value = "-1", .slope = "-3.5"}, "slope should be between -3 and 3."},
        {"negative chargeability", false, true, true, {.value = "-0.01"}, "Chargeability should be positive."},
        {"zero chargeability", false, true, true, {.value = "0"}, nullptr},
        {"zero conductivity", true, true, false, {.value = "0"}, "Conductivity should be greater than 0."},
        {"negative resistivity", true, false, false, {.value = "-5"}, "Resistivity should be greater than 0."},
        {"negative log resistivity", true, false, true, {.value = "-5"}, nullptr},
        {"not a number", true, true, true, {.z2 = "deep"}, "Enter a number."},
    };
    for (const Row& row : rows) {
        MessageLog log;
        Dialog dlg(row.dc, row.conductivity, row.log10);
        const int result = RunDialog(dlg, row.typed);
        if (row.message) {
            EXPECT_EQ(result, IDCANCEL) << row.name;
            EXPECT_EQ(log.Texts(), std::vector<std::string>{row.message}) << row.name;
            for (const MessageLog::Box& box : log.Boxes())
                EXPECT_EQ(box.style, MB_OK) << row.name;
        } else {
            EXPECT_EQ(result, IDOK) << row.name;
            EXPECT_TRUE(log.Empty()) << row.name << ": " << log.Last();
        }
    }
}

TEST(BlockPropDlg, ShowsTheValueAsTheColourBarDoesAndHandsBackTheStoredForm)
{
    struct Row {
        bool conductivity, log10;
        const char* label;
        const char* shown; // of the stored -2
        const char* typed;
        float stored;
    } rows[] = {
        {true, true, "log conductivity", "-2", "-1.25", -1.25f},
        {false, true, "log resistivity", "2", "1.5", -1.5f},
        {true, false, "conductivity", "0.01", "0.001", -3},
        {false, false, "resistivity", "100", "1000", -3},
    };
    for (const Row& row : rows) {
        MessageLog log;
        Dialog dlg(true, row.conductivity, row.log10);
        ASSERT_EQ(RunDialog(dlg, {.value = row.typed},
                      [&](QDialog* d) {
                          EXPECT_EQ(d->windowTitle(), "Block Properties");
                          EXPECT_EQ(Label(d), row.label);
                          EXPECT_EQ(DialogItemText(d, IDC_BLOCK_VALUE), row.shown) << row.label;
                      }),
                  IDOK);
        EXPECT_FLOAT_EQ(dlg.m_value, row.stored) << row.label;
    }

    // Chargeabilities are shown as stored whatever the toggles.
    Dialog ip(false, false, false);
    ASSERT_EQ(RunDialog(ip, {.value = "0.35"},
                  [](QDialog* d) {
                      EXPECT_EQ(Label(d), "chargeability");
                      EXPECT_EQ(DialogItemText(d, IDC_BLOCK_VALUE), "0.1");
                  }),
              IDOK);
    EXPECT_EQ(ip.m_value, 0.35f);
}

TEST(BlockPropDlg, StoredValueKeepsTheSixDigitsTheFieldShows)
{
    // -2.5 is shown as 0.00316228, whose logarithm is not quite -2.5; the field's digits decide.
    Dialog dlg(true, true, false);
    dlg.m_value = -2.5f;
    ASSERT_EQ(RunDialog(dlg, {}, [](QDialog* d) { EXPECT_EQ(DialogItemText(d, IDC_BLOCK_VALUE), "0.00316228"); }), IDOK);
    EXPECT_EQ(dlg.m_value, -2.5f);
    EXPECT_EQ(dlg.m_x2, 10);
    EXPECT_EQ(dlg.m_z2, 5);
}

TEST(BlockPropDlg, EllipseBoxDisablesTheSlopeAtOnceAndReturnsSlopeZero)
{
    Dialog dlg;
    dlg.m_slope = 0.5;
    ASSERT_EQ(RunDialog(dlg, {.slope = "7"},
                  [](QDialog* d) {
                      QWidget* slope = DialogItem(d, IDC_BLOCK_SLOPE);
                      EXPECT_TRUE(slope->isEnabled());
                      ClickItem(d, IDC_BLOCK_ELLIPSE);
                      EXPECT_FALSE(slope->isEnabled());
                      ClickItem(d, IDC_BLOCK_ELLIPSE);
                      EXPECT_TRUE(slope->isEnabled());
                      ClickItem(d, IDC_BLOCK_ELLIPSE);
                  }),
              IDOK);
    EXPECT_EQ(dlg.m_nEllipse, 1);
    EXPECT_EQ(dlg.m_slope, 0);

    // An ellipse opens with its slope field disabled.
    Dialog ellipse(false);
    ellipse.m_nEllipse = 1;
    ASSERT_EQ(RunDialog(ellipse, {}, [](QDialog* d) { EXPECT_FALSE(DialogItem(d, IDC_BLOCK_SLOPE)->isEnabled()); }), IDOK);
    EXPECT_EQ(ellipse.m_nEllipse, 1);
}

TEST(BlockPropDlg, ValueOfTheBackgroundOnlyWarns)
{
    MessageLog log;
    Dialog dc;
    EXPECT_EQ(RunDialog(dc, {.value = "-3"}), IDOK);
    Dialog ip(false, true, true, 0.25f);
    EXPECT_EQ(RunDialog(ip, {.value = "0.25"}), IDOK);
    EXPECT_EQ(log.Texts(), std::vector<std::string>(2, "Warning: block value is the same as the background."));
    EXPECT_EQ(ip.m_value, 0.25f);
}

} // namespace
