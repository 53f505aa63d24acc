#pragma once

#include "platform/CmdTarget.h"

struct CVerdict;

#include <initializer_list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class CDataExchange;
class QDialog;
class QWidget;

enum class DlgItemKind {
    DefPushButton,
    PushButton,
    LText, // label, left-aligned
    RText, // label, right-aligned
    CText, // label, centred
    Edit,
    AutoRadioButton,
    AutoCheckBox,
    GroupBox,
    Icon, // the icon whose resource identifier is the item's text
};

// Control styles.
enum : unsigned {
    WS_GROUP = 0x001, // starts a group (of radio buttons, among others)
    WS_DISABLED = 0x002,
    ES_NUMBER = 0x004, // digits only
    ES_MULTILINE = 0x008,
    ES_READONLY = 0x010,
    ES_AUTOHSCROLL = 0x020,
    WS_VSCROLL = 0x040,
    WS_HSCROLL = 0x080,
    WS_EX_ACCEPTFILES = 0x100, // files dropped from the desktop go to OnDropFiles
};

constexpr int IDC_STATIC = -1;

// One control: position and size in dialog units.
struct DlgItem {
    DlgItemKind kind;
    int id;
    const char* text;
    int x, y, cx, cy;
    unsigned style = 0;
    const char* tip = nullptr; // tooltip
};

// A dialog template: caption, font, client size in dialog units and the controls in tab order.
// Dialog units follow the font: a quarter of its average character width horizontally and an
// eighth of its height vertically.
struct DlgTemplate {
    unsigned id;
    const char* caption;
    const char* fontName;
    int pointSize;
    int cx, cy;
    std::vector<DlgItem> items;
};

// A modal dialog built from a template. Values are moved between members and controls by
// DoDataExchange; OK takes them in and closes only when every field converts.
class CDialog : public CCmdTarget {
public:
    explicit CDialog(const DlgTemplate& dlgTemplate);
    ~CDialog() override;

    // Shows the dialog and returns IDOK or IDCANCEL once it ends.
    int DoModal();

    // Moves values from the controls into the members (true) or back. False when a field was
    // refused: its message was shown and the dialog stays.
    bool UpdateData(bool saveAndValidate = true);
    void EndDialog(int result);

    // Controls by identifier; valid while the dialog is shown.
    QWidget* GetDlgItem(int id) const;
    std::string GetDlgItemText(int id) const;
    void SetDlgItemText(int id, const std::string& text);
    void EnableDlgItem(int id, bool enable = true);
    bool IsDlgButtonChecked(int id) const;
    void CheckDlgButton(int id, bool check);
    // The radio buttons of the group that firstId starts, in template order.
    std::vector<int> GetRadioGroup(int firstId) const;
    // Gives the control the focus and selects its text.
    void GotoDlgCtrl(int id);
    // A check refused a field: shows the message, then gives the field the focus.
    void RefuseField(int id, const std::string& message);
    // Gives ok; refuses the field with the message when it is false.
    bool Require(bool ok, int id, const std::string& message);
    // Shows a check's verdict; true when it refuses nothing, else the field of the refused setting
    // (a setting's address and its control, from fields) takes the focus.
    bool AcceptVerdict(const CVerdict& verdict, std::initializer_list<std::pair<const void*, int>> fields);
    // Selects characters start to end - 1 of an edit and scrolls the caret, at end, into view.
    void SetEditSel(int id, int start, int end);

    // Pixel size of dialog units for the template's font.
    static int BaseUnitX(const char* fontName, int pointSize);
    static int BaseUnitY(const char* fontName, int pointSize);

protected:
    // The framework's version fills the controls from the members and returns true.
    virtual bool OnInitDialog();
    // The framework's version takes the controls in and closes with IDOK.
    virtual void OnOK();
    virtual void OnCancel();
    virtual void DoDataExchange(CDataExchange* pDX);
    // Files dropped on an edit that accepts them.
    virtual void OnDropFiles(int id, const std::vector<std::string>& paths);

private:
    struct Impl;
    friend class DialogWindow;
    void OnButtonClicked(int id);
    void EndDialogByCancel();

    const DlgTemplate& m_template;
    std::unique_ptr<Impl> m_impl;
};

// "<name> should be between <least> and <most>.", the refusal of a field beyond its limits.
std::string ShouldBeBetween(const char* name, double least, double most);
std::string ShouldBeBetween(const char* name, int least, int most); // whole numbers written out in full
