#include "platform/Refusal.h"

#include "platform/FileException.h"
#include "platform/MessageBox.h"

void ShowWarnings(const CWarnings& warnings)
{
    for (const std::string& text : warnings)
        AfxMessageBox(text);
}

namespace {

void Show(const CRefusal& r)
{
    const unsigned icons[] = {0, MB_ICONERROR, MB_ICONINFORMATION};
    AfxMessageBox(r.what(), icons[r.GetKind()]);
}

} // namespace

bool ShowVerdict(const CVerdict& verdict)
{
    ShowWarnings(verdict.warnings);
    if (verdict.refusal)
        Show(*verdict.refusal);
    return !verdict.refusal;
}

bool ConfirmVerdict(const CVerdict& verdict)
{
    for (const std::string& warning : verdict.warnings)
        if (AfxMessageBox(warning, MB_OKCANCEL | MB_ICONEXCLAMATION) != IDOK)
            return false;
    if (verdict.refusal)
        Show(*verdict.refusal);
    return !verdict.refusal;
}

bool Attempt(const std::function<void()>& work)
{
    try {
        work();
        return true;
    } catch (const CRefusal& r) {
        Show(r);
    } catch (const CFileException& e) {
        e.ReportError();
    }
    return false;
}
