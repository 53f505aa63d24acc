#pragma once

#include <string>
#include <vector>

enum : unsigned {
    OFN_OVERWRITEPROMPT = 0x0002,
    OFN_HIDEREADONLY = 0x0004,
    OFN_PATHMUSTEXIST = 0x0800,
    OFN_FILEMUSTEXIST = 0x1000,
    OFN_EXPLORER = 0x80000,
};

// The file-open or file-save dialog. The filter is given as "name|pattern|name|pattern||".
// It starts in the current folder. Saving over an existing file asks first (OFN_OVERWRITEPROMPT).
class CFileDialog {
public:
    CFileDialog(bool openFileDialog, const char* defaultExtension = nullptr, const char* fileName = nullptr,
                unsigned flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, const char* filter = nullptr);

    // IDOK once a file was chosen, IDCANCEL otherwise.
    int DoModal();
    std::string GetPathName() const { return m_strPathName; }

    // Caption; empty gives "Open" or "Save As".
    std::string m_strTitle;

private:
    bool m_bOpen;
    std::string m_strDefExt;
    std::string m_strFileName;
    unsigned m_flags;
    std::string m_strFilter;
    std::string m_strPathName;
};

// Qt's name filters for a "name|pattern||" filter: "name (pattern)", with "*.*" and an empty
// pattern standing for every file.
std::vector<std::string> NameFiltersFromFilter(const std::string& filter);
