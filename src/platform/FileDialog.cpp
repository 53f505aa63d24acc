#include "platform/FileDialog.h"

#include "platform/FilePath.h"
#include "platform/MessageBox.h"

#include <QApplication>
#include <QFileDialog>

std::vector<std::string> NameFiltersFromFilter(const std::string& filter)
{
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= filter.size()) {
        size_t bar = filter.find('|', start);
        if (bar == std::string::npos)
            bar = filter.size();
        parts.push_back(filter.substr(start, bar - start));
        start = bar + 1;
    }
    std::vector<std::string> filters;
    for (size_t i = 0; i + 1 <= parts.size(); i += 2) {
        const std::string& name = parts[i];
        if (name.empty())
            break;
        std::string pattern = i + 1 < parts.size() ? parts[i + 1] : "";
        // "*.*" means every file on Windows; here it would miss names without a dot.
        std::string qtPattern;
        size_t p = 0;
        while (p <= pattern.size()) {
            size_t semi = pattern.find(';', p);
            if (semi == std::string::npos)
                semi = pattern.size();
            std::string one = pattern.substr(p, semi - p);
            if (one == "*.*")
                one = "*";
            if (!one.empty())
                qtPattern += (qtPattern.empty() ? "" : " ") + one;
            p = semi + 1;
        }
        if (qtPattern.empty())
            qtPattern = "*";
        filters.push_back(name + " (" + qtPattern + ")");
    }
    return filters;
}

CFileDialog::CFileDialog(bool openFileDialog, const char* defaultExtension, const char* fileName, unsigned flags,
                         const char* filter)
    : m_bOpen(openFileDialog), m_strDefExt(defaultExtension ? defaultExtension : ""),
      m_strFileName(fileName ? fileName : ""), m_flags(flags), m_strFilter(filter ? filter : "")
{
}

int CFileDialog::DoModal()
{
    QWidget* parent = QApplication::activeModalWidget();
    if (!parent)
        parent = QApplication::activeWindow();
    QStringList filters;
    for (const std::string& f : NameFiltersFromFilter(m_strFilter))
        filters << QString::fromStdString(f);

    std::string preset = m_strFileName;
    for (;;) {
        QFileDialog dlg(parent);
        dlg.setOption(QFileDialog::DontUseNativeDialog);
        // The overwrite question goes through the program's own message box.
        dlg.setOption(QFileDialog::DontConfirmOverwrite);
        dlg.setWindowTitle(QString::fromStdString(m_strTitle.empty() ? (m_bOpen ? "Open" : "Save As") : m_strTitle));
        dlg.setAcceptMode(m_bOpen ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
        dlg.setFileMode(m_bOpen && (m_flags & OFN_FILEMUSTEXIST) ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
        if (!filters.isEmpty())
            dlg.setNameFilters(filters);
        dlg.setDirectory(QString::fromStdString(GetCurrentDirectory()));
        if (!preset.empty())
            dlg.selectFile(QString::fromStdString(preset));
        if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
            return IDCANCEL;

        std::string path = dlg.selectedFiles().front().toStdString();
        if (!m_strDefExt.empty() && FileNamePart(path).find('.') == std::string::npos)
            path += "." + m_strDefExt;
        if (!m_bOpen && (m_flags & OFN_OVERWRITEPROMPT) && FileExists(path) &&
            AfxMessageBox(FileNamePart(path) + " already exists.\nDo you want to replace it?",
                          MB_YESNO | MB_ICONEXCLAMATION) != IDYES) {
            preset = path;
            continue;
        }
        m_strPathName = path;
        return IDOK;
    }
}
