#pragma once

#include "platform/Resources.h"

#include <functional>
#include <memory>
#include <string>

class CDocument;
class CFrameWnd;
class CView;

// Binds the one document, its frame and its view for a single-document application, and owns them.
class CSingleDocTemplate {
public:
    using DocumentFactory = std::function<std::unique_ptr<CDocument>()>;
    using FrameFactory = std::function<std::unique_ptr<CFrameWnd>()>;
    using ViewFactory = std::function<CView*()>;

    CSingleDocTemplate(const FrameResource& resource, DocumentFactory document, FrameFactory frame, ViewFactory view);
    ~CSingleDocTemplate();

    // Opens path, or starts a new document when path is null. The document and frame are made on
    // first use; later calls first ask to save a modified document. Returns null when the user
    // refused or the document could not be made; a frame made by this call is then destroyed.
    CDocument* OpenDocumentFile(const std::string* path);

    CDocument* GetDocument() const { return m_document.get(); }
    CFrameWnd* GetFrame() const { return m_frame.get(); }
    const FrameResource& GetResource() const { return m_resource; }

private:
    bool CreateFrame();
    void DestroyFrame();

    const FrameResource& m_resource;
    DocumentFactory m_makeDocument;
    FrameFactory m_makeFrame;
    ViewFactory m_makeView;
    std::unique_ptr<CDocument> m_document;
    std::unique_ptr<CFrameWnd> m_frame;
};
