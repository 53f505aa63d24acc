// The Block Properties dialog driven through its real controls.
#include "dialogs/BlockPropDlg.h"
#include "support/MessageLog.h"
#include "support/ModalDriver.h"

#include <QDialog>
#include <QLabel>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A DC dialog showing log conductivity unless told otherwise: block 0..10 by 0..5, core 0..200 by 0..50.
struct Dialog : CBlockPropDlg {
    explicit Dialog(EModelKind kind = EModelKind::dc, bool conductivity = true, bool log10 = true,
                    float background = -3)
        : CBlockPropDlg(background, kind, conductivity, log10)
    {
        SetCore(0, 200, 0, 50);
        m_x2 = 10;
        m_z2 = 5;
        m_value = kind == EModelKind::dc ? -2 : 0.1f;
    }
};

QString Label(QDialog* d)
{
    return qobject_cast<QLabel*>(DialogItem(d, IDC_BLOCK_VALUE_LABEL))->text();
}

// Each refusal leaves the focus in the field it names. The model file's reader limits positions
// and the stored log10 conductivity; the dialog names the limit as its field shows the value.
TEST(BlockPropDlg, RefusesInTheOrderOfTheChecksAndStaysOpen)
{
    enum { log = 1, plain = 2, res = 4, ip = 8 }; // the value as the field shows it; DC log conductivity by default
    struct Row {
        const char* name;
        int shown;
        std::vector<Step> typed;
        const char* message; // nullptr: accepted
        int focus = 0;
        float stored = 0; // when accepted and typed into the value
    } rows[] = {
        {"x1 equal to x2", log, {{IDC_BLOCK_X1, "10"}}, "x1 should be less than x2.", IDC_BLOCK_X1},
        {"both reversed", log, {{IDC_BLOCK_X1, "20"}, {IDC_BLOCK_Z1, "9"}}, "x1 should be less than x2.", IDC_BLOCK_X1},
        {"z1 equal to z2",
         log,
         {{IDC_BLOCK_Z1, "5"}, {IDC_BLOCK_SLOPE, "4"}},
         "z1 should be less than z2.",
         IDC_BLOCK_Z1},
        {"touching the core",
         log,
         {{IDC_BLOCK_X1, "200"}, {IDC_BLOCK_X2, "260"}},
         "The block lies outside the core, which spans x = 0 to 200 and depth 0 to 50.",
         IDC_BLOCK_X1},
        {"partly outside the core", log, {{IDC_BLOCK_Z1, "-5"}, {IDC_BLOCK_X2, "260"}}, nullptr},
        {"slope above 3", log, {{IDC_BLOCK_SLOPE, "3.0001"}}, "slope should be between -3 and 3.", IDC_BLOCK_SLOPE},
        {"slope 3", log, {{IDC_BLOCK_SLOPE, "3"}}, nullptr},
        {"slope below -3",
         ip,
         {{IDC_BLOCK_VALUE, "-1"}, {IDC_BLOCK_SLOPE, "-3.5"}},
         "slope should be between -3 and 3.",
         IDC_BLOCK_SLOPE},
        {"negative chargeability",
         ip,
         {{IDC_BLOCK_VALUE, "-0.01"}},
         "Chargeability should be positive.",
         IDC_BLOCK_VALUE},
        {"zero chargeability", ip, {{IDC_BLOCK_VALUE, "0"}}, nullptr},
        {"chargeability beyond a float",
         ip,
         {{IDC_BLOCK_VALUE, "1e40"}},
         "The number is too large. Enter a number between -3.40282e+38 and 3.40282e+38.",
         IDC_BLOCK_VALUE},
        {"zero conductivity",
         plain,
         {{IDC_BLOCK_VALUE, "0"}},
         "Conductivity should be greater than 0.",
         IDC_BLOCK_VALUE},
        {"negative resistivity",
         plain | res,
         {{IDC_BLOCK_VALUE, "-5"}},
         "Resistivity should be greater than 0.",
         IDC_BLOCK_VALUE},
        {"negative log resistivity", log | res, {{IDC_BLOCK_VALUE, "-5"}}, nullptr, 0, 5},
        {"not a number", log, {{IDC_BLOCK_Z2, "deep"}}, "Enter a number.", IDC_BLOCK_Z2},
        {"every position at its limit",
         log,
         {{IDC_BLOCK_X1, "-1e12"}, {IDC_BLOCK_X2, "1e12"}, {IDC_BLOCK_Z1, "-1e12"}, {IDC_BLOCK_Z2, "1e12"}},
         nullptr},
        {"x1 beyond", log, {{IDC_BLOCK_X1, "-1.000001e12"}}, "x1 should be between -1e+12 and 1e+12.", IDC_BLOCK_X1},
        {"x2 beyond", log, {{IDC_BLOCK_X2, "1.000001e12"}}, "x2 should be between -1e+12 and 1e+12.", IDC_BLOCK_X2},
        {"z1 beyond", log, {{IDC_BLOCK_Z1, "-1.000001e12"}}, "z1 should be between -1e+12 and 1e+12.", IDC_BLOCK_Z1},
        {"z2 beyond", log, {{IDC_BLOCK_Z2, "1.000001e12"}}, "z2 should be between -1e+12 and 1e+12.", IDC_BLOCK_Z2},
        {"log conductivity 30", log, {{IDC_BLOCK_VALUE, "30"}}, nullptr, 0, 30},
        {"log conductivity above 30",
         log,
         {{IDC_BLOCK_VALUE, "30.0001"}},
         "Log conductivity should be between -30 and 30.",
         IDC_BLOCK_VALUE},
        {"log resistivity -30", log | res, {{IDC_BLOCK_VALUE, "-30"}}, nullptr, 0, 30},
        {"log resistivity below -30",
         log | res,
         {{IDC_BLOCK_VALUE, "-30.0001"}},
         "Log resistivity should be between -30 and 30.",
         IDC_BLOCK_VALUE},
        {"conductivity 1e30", plain, {{IDC_BLOCK_VALUE, "1e30"}}, nullptr, 0, 30},
        {"conductivity above 1e30",
         plain,
         {{IDC_BLOCK_VALUE, "1.0001e30"}},
         "Conductivity should be between 1e-30 and 1e+30.",
         IDC_BLOCK_VALUE},
        {"resistivity 1e-30", plain | res, {{IDC_BLOCK_VALUE, "1e-30"}}, nullptr, 0, 30},
        {"resistivity below 1e-30",
         plain | res,
         {{IDC_BLOCK_VALUE, "0.9999e-30"}},
         "Resistivity should be between 1e-30 and 1e+30.",
         IDC_BLOCK_VALUE},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        MessageLog log;
        Dialog dlg(row.shown & ip ? EModelKind::ip : EModelKind::dc, !(row.shown & res), !(row.shown & plain));
        int focus = -1;
        EXPECT_EQ(RunDialog(dlg, row.typed, {}, &focus), row.message ? IDCANCEL : IDOK);
        EXPECT_EQ(log.Texts(), row.message ? std::vector<std::string>{row.message} : std::vector<std::string>{});
        EXPECT_EQ(focus, row.focus);
        if (row.stored != 0) {
            EXPECT_EQ(dlg.m_value, row.stored);
        }
        for (const MessageLog::Box& box : log.Boxes())
            EXPECT_EQ(box.style, MB_OK);
    }
}

TEST(BlockPropDlg, ShowsTheValueAsTheColourBarDoesAndHandsBackTheStoredForm)
{
    struct Row {
        bool conductivity, log10;
        const char* label;
        float value;
        const char* shown;
        const char* typed; // nullptr: left as shown
        float stored;
    } rows[] = {
        {true, true, "log conductivity", -2, "-2", "-1.25", -1.25f},
        {false, true, "log resistivity", -2, "2", "1.5", -1.5f},
        {true, false, "conductivity", -2, "0.01", "0.001", -3},
        {false, false, "resistivity", -2, "100", "1000", -3},
        // The logarithm of the six digits shown is not quite -2.5; the field's digits decide.
        {true, false, "conductivity", -2.5f, "0.00316228", nullptr, -2.5f},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.shown);
        MessageLog log;
        Dialog dlg(EModelKind::dc, row.conductivity, row.log10);
        dlg.m_value = row.value;
        std::vector<Step> typed;
        if (row.typed)
            typed.push_back({IDC_BLOCK_VALUE, row.typed});
        ASSERT_EQ(RunDialog(dlg, typed,
                            [&](QDialog* d) {
                                EXPECT_EQ(d->windowTitle(), "Block Properties");
                                EXPECT_EQ(Label(d), row.label);
                                EXPECT_EQ(DialogItemText(d, IDC_BLOCK_VALUE), row.shown);
                            }),
                  IDOK);
        EXPECT_EQ(dlg.m_value, row.stored);
    }

    // Chargeabilities are shown as stored whatever the toggles.
    Dialog ip(EModelKind::ip, false, false);
    ASSERT_EQ(RunDialog(ip, {{IDC_BLOCK_VALUE, "0.35"}}, [](QDialog* d) { EXPECT_EQ(Label(d), "chargeability"); }),
              IDOK);
    EXPECT_EQ(ip.m_value, 0.35f);
}

TEST(BlockPropDlg, EllipseBoxDisablesTheSlopeAtOnceAndReturnsSlopeZero)
{
    Dialog dlg;
    dlg.m_slope = 0.5;
    ASSERT_EQ(RunDialog(dlg, {{IDC_BLOCK_SLOPE, "7"}},
                        [](QDialog* d) {
                            QWidget* slope = DialogItem(d, IDC_BLOCK_SLOPE);
                            EXPECT_TRUE(slope->isEnabled());
                            ClickItem(d, IDC_BLOCK_ELLIPSE);
                            EXPECT_FALSE(slope->isEnabled());
                        }),
              IDOK);
    EXPECT_EQ(dlg.m_nEllipse, 1);
    EXPECT_EQ(dlg.m_slope, 0); // not the 7 typed into the disabled field

    // An ellipse opens with its slope field disabled.
    Dialog ellipse(EModelKind::ip);
    ellipse.m_nEllipse = 1;
    ASSERT_EQ(RunDialog(ellipse, {}, [](QDialog* d) { EXPECT_FALSE(DialogItem(d, IDC_BLOCK_SLOPE)->isEnabled()); }),
              IDOK);
}

TEST(BlockPropDlg, ValueOfTheBackgroundOnlyWarns)
{
    MessageLog log;
    Dialog dc;
    EXPECT_EQ(RunDialog(dc, {{IDC_BLOCK_VALUE, "-3"}}), IDOK);
    Dialog ip(EModelKind::ip, true, true, 0.25f);
    EXPECT_EQ(RunDialog(ip, {{IDC_BLOCK_VALUE, "0.25"}}), IDOK);
    EXPECT_EQ(log.Texts(), std::vector<std::string>(2, "Warning: block value is the same as the background."));
    EXPECT_EQ(ip.m_value, 0.25f);
}

} // namespace
