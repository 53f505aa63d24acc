#pragma once

#include <string>
#include <vector>

class CDialog;

// An edit control of a dialog that takes a file dropped from the desktop: the path becomes its
// text, with the file name selected.
class CEditDrop {
public:
    void Attach(CDialog* dialog, int id);
    void OnDropFiles(const std::vector<std::string>& paths);

private:
    CDialog* m_dialog = nullptr;
    int m_id = 0;
};
