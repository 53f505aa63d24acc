// Every dialog opens with the focus in its first field that can take typing.
#include "dialogs/AboutDlg.h"
#include "dialogs/DiscretizeDlg.h"
#include "dialogs/DlgFwdType.h"
#include "dialogs/ModPropDlg.h"
#include "platform/MessageBox.h"
#include "support/ModalDriver.h"

#include <QDialog>

#include <gtest/gtest.h>

#include <memory>

namespace {

TEST(Dialogs, OpenWithTheFocusInTheFirstField)
{
    auto protocol = std::make_unique<CDiscretizeDlg>();
    protocol->m_settings.array = EArray::protocol; // its file's field comes first and is enabled
    const struct {
        const char* name;
        std::shared_ptr<CDialog> dlg;
        int first;
    } rows[] = {
        {"model properties", std::make_shared<CModPropDlg>(), IDC_MODPROP_X1},
        {"discretize: the protocol field is disabled", std::make_shared<CDiscretizeDlg>(), IDC_N},
        {"discretize with a protocol", std::move(protocol), IDC_PROTOCOL_FILE},
        {"forward type", std::make_shared<CDlgFwdType>(), IDC_FWD_ACCURACY},
        {"about: nothing to type", std::make_shared<CAboutDlg>(), IDOK},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        int focus = 0;
        ModalAnswer answer = OnModal<QDialog>([&](QDialog* d) {
            focus = FocusedItem(d);
            d->reject();
        });
        row.dlg->DoModal();
        EXPECT_EQ(focus, row.first);
    }
}

} // namespace
