#include "platform/Document.h"

#include "platform/FileDialog.h"
#include "platform/FileException.h"
#include "platform/FilePath.h"
#include "platform/FrameWnd.h"
#include "platform/MessageBox.h"
#include "platform/StdioFile.h"
#include "platform/View.h"

#include <algorithm>

CDocument::CDocument() = default;

CDocument::~CDocument()
{
    for (CView* view : m_views)
        view->m_pDocument = nullptr;
}

bool CDocument::OnNewDocument()
{
    ClearPathName();
    SetModifiedFlag(false);
    return true;
}

bool CDocument::OnOpenDocument(const std::string& path)
{
    try {
        CStdioFile file(path, CStdioFile::modeRead);
        file.Close();
    } catch (const CFileException& e) {
        e.ReportError();
        return false;
    }
    return true;
}

void CDocument::SetPathName(const std::string& path, bool)
{
    m_strPathName = AbsolutePath(path);
    SetTitle(FileNamePart(m_strPathName));
}

void CDocument::ClearPathName()
{
    m_strPathName.clear();
    UpdateFrameTitles();
}

void CDocument::SetTitle(const std::string& title)
{
    m_strTitle = title;
    UpdateFrameTitles();
}

void CDocument::SetModifiedFlag(bool modified)
{
    if (m_bModified == modified)
        return;
    m_bModified = modified;
    UpdateFrameTitles();
}

std::string CDocument::GetDisplayName() const
{
    if (!m_strTitle.empty())
        return m_strTitle;
    if (!m_strPathName.empty())
        return FileNamePart(m_strPathName);
    return "Untitled";
}

void CDocument::UpdateAllViews(CView* sender, long hint, void* hintObject)
{
    // A view's update may start work that adds or removes views; walk a copy.
    std::vector<CView*> views = m_views;
    for (CView* view : views)
        if (view != sender)
            view->OnUpdate(sender, hint, hintObject);
}

bool CDocument::SaveModified()
{
    if (!IsModified())
        return true;
    std::string name = m_strPathName.empty() ? GetDisplayName() : FileNamePart(m_strPathName);
    switch (AfxMessageBox("Save changes to " + name + "?", MB_YESNOCANCEL | MB_ICONQUESTION)) {
    case IDYES:
        return DoSave(m_strPathName);
    case IDNO:
        return true;
    default:
        return false;
    }
}

bool CDocument::DoSave(const std::string& path)
{
    std::string name = path;
    if (name.empty()) {
        CFileDialog dlg(false, nullptr, nullptr, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST,
                        m_strSaveFilter.empty() ? "All Files|*.*||" : m_strSaveFilter.c_str());
        dlg.m_strTitle = "Save As";
        if (dlg.DoModal() != IDOK)
            return false;
        name = dlg.GetPathName();
    }
    if (!OnSaveDocument(name))
        return false;
    SetPathName(name);
    SetModifiedFlag(false);
    return true;
}

void CDocument::AddView(CView* view)
{
    if (std::find(m_views.begin(), m_views.end(), view) == m_views.end())
        m_views.push_back(view);
    view->m_pDocument = this;
}

void CDocument::RemoveView(CView* view)
{
    m_views.erase(std::remove(m_views.begin(), m_views.end(), view), m_views.end());
    if (view->m_pDocument == this)
        view->m_pDocument = nullptr;
}

void CDocument::UpdateFrameTitles()
{
    for (CView* view : m_views)
        if (CFrameWnd* frame = view->GetParentFrame())
            frame->OnUpdateFrameTitle();
}
