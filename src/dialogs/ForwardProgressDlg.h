#pragma once

#include <QDialog>

#include <map>
#include <string>

class CForwardRun;
class QLabel;
class QProgressBar;
class QTimer;

// Watches a started forward run in a dialog, so that the windows behind stay painted: a bar from
// the program's "N of M" progress lines, its latest line, and Cancel. Ends when the program ends;
// Cancel, Escape and closing the dialog cancel the run.
class CForwardProgressDlg : public QDialog {
public:
    // title names what runs: "Forward modelling" or "Survey design".
    explicit CForwardProgressDlg(CForwardRun& run, QWidget* parent = nullptr, const char* title = "Forward modelling");
    ~CForwardProgressDlg() override;

    // Shows the dialog until the run ends. The parent's menus, toolbars and view take no input
    // meanwhile, and no shortcut works, but the parent can still be closed, which cancels the run:
    // a modal dialog would keep the window system's close from reaching it.
    int Watch();

    // Cancels the run whose dialog is showing, if any: the program is not to outlive the window.
    static void CancelRunning();

    void reject() override;

private:
    void Poll();
    void Show(const std::string& line);

    CForwardRun& m_run;
    QLabel* m_text;
    QProgressBar* m_bar;
    QTimer* m_timer;
    std::map<int, int> m_done; // wavenumbers finished, by model
};
