#pragma once

#include "platform/CmdTarget.h"

#include <string>
#include <vector>

class CView;

// The document of a document/view application: the data behind the views, with its path,
// title and modified flag. Views attach themselves; UpdateAllViews tells them it changed.
class CDocument : public CCmdTarget {
public:
    CDocument();
    ~CDocument() override;

    // Starts a new, empty document; false refuses it. The framework's version clears the path.
    virtual bool OnNewDocument();
    // Opens the document's file from the command line. The framework's version only checks
    // that the file can be opened, reporting the file error when it cannot.
    virtual bool OnOpenDocument(const std::string& path);
    // Writes the document to path; false when nothing was saved.
    virtual bool OnSaveDocument(const std::string& path) = 0;

    // Stores the absolute form of path and makes its file name the title.
    virtual void SetPathName(const std::string& path, bool addToRecentFiles = true);
    const std::string& GetPathName() const { return m_strPathName; }
    void ClearPathName();

    virtual void SetTitle(const std::string& title);
    // The title, or "Untitled" for a document with neither title nor path.
    std::string GetDisplayName() const;

    bool IsModified() const { return m_bModified; }
    // The frame's caption marks a modified document.
    void SetModifiedFlag(bool modified = true);

    // Calls OnUpdate of every view but sender.
    void UpdateAllViews(CView* sender, long hint = 0, void* hintObject = nullptr);

    // Asks "Save changes to %1?" when modified. False when the user cancelled or the save failed,
    // so that whatever asked (New, closing the window) does not go on.
    virtual bool SaveModified();
    // Saves under path, asking for a file name first when it is empty.
    bool DoSave(const std::string& path);

    void AddView(CView* view);
    void RemoveView(CView* view);
    const std::vector<CView*>& GetViews() const { return m_views; }

    // Filter of the framework's save dialog, in the "name|pattern||" form.
    std::string m_strSaveFilter;

private:
    void UpdateFrameTitles();

    std::string m_strPathName;
    std::string m_strTitle;
    bool m_bModified = false;
    std::vector<CView*> m_views;
};
