#include "model/SectomatDoc.h"

#include "app/Resource.h"
#include "dialogs/ModPropDlg.h"
#include "model/ModelFile.h"
#include "platform/FileDialog.h"
#include "platform/FilePath.h"
#include "platform/MessageBox.h"

CSectomatDoc::CSectomatDoc()
{
    MapCommand(ID_FILE_OPEN, &CSectomatDoc::OnFileOpen);
    MapCommand(ID_FILE_SAVE_AS, &CSectomatDoc::OnFileSave);
}

bool CSectomatDoc::OnNewDocument()
{
    CModPropDlg dlg;
    dlg.m_x1 = m_coreX1;
    dlg.m_x2 = m_coreX2;
    dlg.m_depth = m_coreZ2;
    dlg.m_dcBackground = m_dcBackground;
    dlg.m_ipBackground = m_ipBackground;
    dlg.m_top = m_coreZ1;
    if (dlg.DoModal() != IDOK)
        return false;

    m_coreX1 = dlg.m_x1;
    m_coreX2 = dlg.m_x2;
    m_coreZ2 = dlg.m_depth;
    m_dcBackground = dlg.m_dcBackground;
    m_ipBackground = dlg.m_ipBackground;

    m_dcModel.clear();
    m_ipModel.clear();
    m_topo.clear();
    // A flat surface along the top of the core area; the view places the points.
    m_topo.emplace_back(m_coreX1, m_coreZ1);
    m_topo.emplace_back(m_coreX2, m_coreZ1);
    m_bTopography = false;
    SetModifiedFlag(true);
    m_bDiscretized = m_bForwardDone = false;

    SetTitle("");
    ClearPathName();
    return true;
}

bool CSectomatDoc::OnOpenDocument(const std::string& path)
{
    if (!CDocument::OnOpenDocument(path))
        return false;
    return ReadModel(path);
}

bool CSectomatDoc::OnSaveDocument(const std::string& path)
{
    return WriteModel(path);
}

void CSectomatDoc::SetPathName(const std::string& path, bool addToRecentFiles)
{
    CDocument::SetPathName(path, addToRecentFiles);
    SetTitle(GetPathName());
    SetCurrentDirectory(RemoveLastComponent(GetPathName()));
}

bool CSectomatDoc::ReadModel(const std::string& path)
{
    if (!ReadModelFile(path, *this))
        return false;
    SetPathName(path);
    m_bDiscretized = m_bForwardDone = false;
    SetModifiedFlag(false);
    UpdateAllViews(nullptr);
    return true;
}

bool CSectomatDoc::WriteModel(const std::string& path)
{
    if (!WriteModelFile(path, *this))
        return false;
    SetPathName(path);
    SetModifiedFlag(false);
    return true;
}

void CSectomatDoc::OnFileOpen()
{
    CFileDialog dlg(true, nullptr, nullptr, OFN_HIDEREADONLY | OFN_FILEMUSTEXIST, "model files|*.*||");
    if (dlg.DoModal() != IDOK)
        return;
    // Unsaved work is offered a save before another model replaces it.
    if (!SaveModified())
        return;
    ReadModel(dlg.GetPathName());
}

// The menu's Save always asks where to write; the dialog opens in the model's folder.
void CSectomatDoc::OnFileSave()
{
    CFileDialog dlg(false, nullptr, nullptr, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, "Model||");
    if (dlg.DoModal() != IDOK)
        return;
    WriteModel(dlg.GetPathName());
}
