#include "dialogs/EditDrop.h"

#include "platform/Dialog.h"
#include "platform/FilePath.h"

void CEditDrop::Attach(CDialog* dialog, int id)
{
    m_dialog = dialog;
    m_id = id;
}

void CEditDrop::OnDropFiles(const std::vector<std::string>& paths)
{
    if (!m_dialog || paths.empty())
        return;
    const std::string& path = paths.front();
    m_dialog->SetDlgItemText(m_id, path);
    m_dialog->GotoDlgCtrl(m_id);
    // The name is what the user checks; the folders are usually long and familiar.
    const int start = static_cast<int>(path.size() - FileNamePart(path).size());
    m_dialog->SetEditSel(m_id, start, static_cast<int>(path.size()));
}
