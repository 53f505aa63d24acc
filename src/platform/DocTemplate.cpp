#include "platform/DocTemplate.h"

#include "platform/Document.h"
#include "platform/FrameWnd.h"
#include "platform/MessageBox.h"
#include "platform/View.h"

CSingleDocTemplate::CSingleDocTemplate(const FrameResource& resource, DocumentFactory document, FrameFactory frame,
                                       ViewFactory view)
    : m_resource(resource), m_makeDocument(std::move(document)), m_makeFrame(std::move(frame)),
      m_makeView(std::move(view))
{
}

CSingleDocTemplate::~CSingleDocTemplate()
{
    DestroyFrame();
}

bool CSingleDocTemplate::CreateFrame()
{
    m_frame = m_makeFrame();
    CView* view = m_makeView();
    m_frame->setCentralWidget(view);
    m_document->AddView(view);
    if (!m_frame->LoadFrame(m_resource)) {
        DestroyFrame();
        return false;
    }
    m_frame->SetActiveView(view);
    return true;
}

void CSingleDocTemplate::DestroyFrame()
{
    // Views go with their frame; the document goes after them.
    m_frame.reset();
    m_document.reset();
}

CDocument* CSingleDocTemplate::OpenDocumentFile(const std::string* path)
{
    bool created = false;
    if (!m_document) {
        m_document = m_makeDocument();
        m_document->m_strSaveFilter =
            DocStringField(m_resource.docStrings, 3).empty()
                ? std::string()
                : DocStringField(m_resource.docStrings, 3) + "|" + DocStringField(m_resource.docStrings, 4) + "||";
        if (!CreateFrame()) {
            AfxMessageBox("Failed to create empty document.", MB_ICONERROR);
            return nullptr;
        }
        created = true;
    } else if (!m_document->SaveModified()) {
        return nullptr;
    }

    bool ok = path ? m_document->OnOpenDocument(*path) : m_document->OnNewDocument();
    if (!ok) {
        if (created)
            DestroyFrame();
        return nullptr;
    }
    if (path)
        m_document->SetPathName(*path);

    for (CView* view : m_document->GetViews())
        view->OnInitialUpdate();
    m_frame->OnUpdateFrameTitle();
    return m_document.get();
}
