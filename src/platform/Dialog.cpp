#include "platform/Dialog.h"

#include "platform/DataExchange.h"
#include "platform/IconRegistry.h"
#include "platform/MessageBox.h"
#include "platform/Refusal.h"
#include "platform/TextFormat.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QDialog>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>

#include <cmath>
#include <map>

namespace {

QFont DialogFont(const char* fontName, int pointSize)
{
    QFont font(QString::fromUtf8(fontName), pointSize);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

int MulDiv(int a, int b, int c)
{
    return static_cast<int>(std::lround(static_cast<double>(a) * b / c));
}

// Qt's multi-line edits keep lines apart with "\n"; the program's texts use CR LF.
QString ToEditText(const std::string& text, bool multiLine)
{
    QString s = QString::fromStdString(text);
    if (multiLine)
        s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return s;
}

// An edit that takes files dropped from the desktop.
class DropEdit : public QLineEdit {
public:
    DropEdit(QWidget* parent, std::function<void(const std::vector<std::string>&)> onDrop)
        : QLineEdit(parent), m_onDrop(std::move(onDrop))
    {
        setAcceptDrops(true);
    }

protected:
    void dragEnterEvent(QDragEnterEvent* event) override
    {
        if (event->mimeData()->hasUrls())
            event->acceptProposedAction();
    }
    void dragMoveEvent(QDragMoveEvent* event) override
    {
        if (event->mimeData()->hasUrls())
            event->acceptProposedAction();
    }
    void dropEvent(QDropEvent* event) override
    {
        std::vector<std::string> paths;
        for (const QUrl& url : event->mimeData()->urls())
            paths.push_back(url.isLocalFile() ? url.toLocalFile().toStdString() : url.toString().toStdString());
        if (paths.empty())
            return;
        event->acceptProposedAction();
        m_onDrop(paths);
    }

private:
    std::function<void(const std::vector<std::string>&)> m_onDrop;
};

} // namespace

// The window of a running dialog; its ending goes through the owner's OnOK and OnCancel.
class DialogWindow : public QDialog {
public:
    DialogWindow(CDialog* owner, QWidget* parent) : QDialog(parent), m_owner(owner) {}

    void reject() override { m_owner->EndDialogByCancel(); }
    void finish(int result) { QDialog::done(result); }

private:
    CDialog* m_owner;
};

struct CDialog::Impl {
    DialogWindow* window = nullptr;
    std::map<int, QWidget*> controls;
    std::map<int, bool> multiLine;
    std::vector<QButtonGroup*> groups;
};

int CDialog::BaseUnitX(const char* fontName, int pointSize)
{
    QFontMetrics fm(DialogFont(fontName, pointSize));
    int width = fm.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return (width / 26 + 1) / 2;
}

int CDialog::BaseUnitY(const char* fontName, int pointSize)
{
    return QFontMetrics(DialogFont(fontName, pointSize)).height();
}

CDialog::CDialog(const DlgTemplate& dlgTemplate) : m_template(dlgTemplate) {}

CDialog::~CDialog() = default;

int CDialog::DoModal()
{
    const int bx = BaseUnitX(m_template.fontName, m_template.pointSize);
    const int by = BaseUnitY(m_template.fontName, m_template.pointSize);
    auto px = [bx](int du) { return MulDiv(du, bx, 4); };
    auto py = [by](int du) { return MulDiv(du, by, 8); };

    QWidget* parent = QApplication::activeModalWidget();
    if (!parent)
        parent = QApplication::activeWindow();
    m_impl = std::make_unique<Impl>();
    auto* window = new DialogWindow(this, parent);
    m_impl->window = window;
    window->setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                           Qt::MSWindowsFixedSizeDialogHint);
    window->setWindowTitle(QString::fromUtf8(m_template.caption));
    window->setFont(DialogFont(m_template.fontName, m_template.pointSize));
    window->setFixedSize(px(m_template.cx), py(m_template.cy));
    window->setProperty("templateId", m_template.id);

    QWidget* previous = nullptr;
    QWidget* firstFocus = nullptr;
    std::vector<QWidget*> fields; // the edits that take typing
    std::vector<QWidget*> inputs; // check boxes and radio buttons
    QButtonGroup* group = nullptr;
    for (const DlgItem& item : m_template.items) {
        QWidget* w = nullptr;
        const QString text = QString::fromUtf8(item.text ? item.text : "");
        if (item.style & WS_GROUP)
            group = nullptr;
        switch (item.kind) {
        case DlgItemKind::DefPushButton:
        case DlgItemKind::PushButton: {
            auto* b = new QPushButton(text, window);
            b->setDefault(item.kind == DlgItemKind::DefPushButton);
            QObject::connect(b, &QPushButton::clicked, window, [this, id = item.id] { OnButtonClicked(id); });
            w = b;
            break;
        }
        case DlgItemKind::LText:
        case DlgItemKind::RText:
        case DlgItemKind::CText: {
            auto* l = new QLabel(text, window);
            l->setTextFormat(Qt::PlainText);
            l->setWordWrap(true);
            Qt::Alignment h = item.kind == DlgItemKind::LText   ? Qt::AlignLeft
                              : item.kind == DlgItemKind::RText ? Qt::AlignRight
                                                                : Qt::AlignHCenter;
            l->setAlignment(h | Qt::AlignTop);
            w = l;
            break;
        }
        case DlgItemKind::Edit: {
            if (item.style & ES_MULTILINE) {
                auto* e = new QPlainTextEdit(window);
                e->setReadOnly(item.style & ES_READONLY);
                e->setLineWrapMode((item.style & ES_AUTOHSCROLL) ? QPlainTextEdit::NoWrap
                                                                 : QPlainTextEdit::WidgetWidth);
                e->setVerticalScrollBarPolicy((item.style & WS_VSCROLL) ? Qt::ScrollBarAlwaysOn
                                                                        : Qt::ScrollBarAlwaysOff);
                e->setHorizontalScrollBarPolicy((item.style & WS_HSCROLL) ? Qt::ScrollBarAlwaysOn
                                                                          : Qt::ScrollBarAlwaysOff);
                m_impl->multiLine[item.id] = true;
                w = e;
            } else {
                QLineEdit* e =
                    (item.style & WS_EX_ACCEPTFILES)
                        ? new DropEdit(window, [this, id = item.id](
                                                   const std::vector<std::string>& paths) { OnDropFiles(id, paths); })
                        : new QLineEdit(window);
                e->setReadOnly(item.style & ES_READONLY);
                if (item.style & ES_NUMBER)
                    e->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), e));
                w = e;
            }
            break;
        }
        case DlgItemKind::AutoRadioButton: {
            auto* r = new QRadioButton(text, window);
            if (!group) {
                group = new QButtonGroup(window);
                m_impl->groups.push_back(group);
            }
            group->addButton(r);
            QObject::connect(r, &QRadioButton::clicked, window, [this, id = item.id] { OnButtonClicked(id); });
            w = r;
            break;
        }
        case DlgItemKind::AutoCheckBox: {
            auto* c = new QCheckBox(text, window);
            QObject::connect(c, &QCheckBox::clicked, window, [this, id = item.id] { OnButtonClicked(id); });
            w = c;
            break;
        }
        case DlgItemKind::GroupBox: {
            auto* g = new QGroupBox(text, window);
            g->setAttribute(Qt::WA_TransparentForMouseEvents);
            w = g;
            break;
        }
        case DlgItemKind::Icon: {
            auto* l = new QLabel(window);
            l->setPixmap(AfxLoadIcon(static_cast<unsigned>(std::atoi(item.text ? item.text : "0"))).pixmap(32, 32));
            w = l;
            break;
        }
        }
        w->setGeometry(px(item.x), py(item.y), px(item.cx), py(item.cy));
        w->setProperty("controlId", item.id);
        if (item.kind == DlgItemKind::GroupBox)
            w->lower();
        if (item.style & WS_DISABLED)
            w->setEnabled(false);
        if (item.tip)
            w->setToolTip(QString::fromUtf8(item.tip));
        if (item.id != IDC_STATIC)
            m_impl->controls[item.id] = w;
        if (w->focusPolicy() != Qt::NoFocus) {
            if (item.kind == DlgItemKind::Edit && !(item.style & ES_READONLY))
                fields.push_back(w);
            else if (item.kind == DlgItemKind::AutoCheckBox || item.kind == DlgItemKind::AutoRadioButton)
                inputs.push_back(w);
            if (previous)
                QWidget::setTabOrder(previous, w);
            else
                firstFocus = w;
            previous = w;
        }
    }

    int result = IDCANCEL;
    if (OnInitDialog()) {
        // The first field as OnInitDialog left it enabled; of a radio group, the checked button.
        fields.insert(fields.end(), inputs.begin(), inputs.end());
        QWidget* first = firstFocus;
        for (auto it = fields.rbegin(); it != fields.rend(); ++it) {
            auto* radio = qobject_cast<QRadioButton*>(*it);
            if ((*it)->isEnabled() && (!radio || radio->isChecked()))
                first = *it;
        }
        if (first)
            first->setFocus();
    }
    result = window->exec();
    delete window;
    m_impl.reset();
    return result == IDOK ? IDOK : IDCANCEL;
}

void CDialog::EndDialogByCancel()
{
    OnCancel();
}

void CDialog::OnButtonClicked(int id)
{
    if (id == IDOK)
        OnOK();
    else if (id == IDCANCEL)
        OnCancel();
    else
        OnCmdMsg(static_cast<unsigned>(id), CmdCode::Execute, nullptr);
}

bool CDialog::OnInitDialog()
{
    UpdateData(false);
    return true;
}

void CDialog::OnOK()
{
    if (!UpdateData(true))
        return;
    EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

void CDialog::DoDataExchange(CDataExchange*) {}

void CDialog::OnDropFiles(int, const std::vector<std::string>&) {}

bool CDialog::UpdateData(bool saveAndValidate)
{
    if (!m_impl)
        return false;
    CDataExchange dx(this, saveAndValidate);
    DoDataExchange(&dx);
    return !dx.Failed();
}

void CDialog::EndDialog(int result)
{
    if (m_impl && m_impl->window)
        m_impl->window->finish(result);
}

QWidget* CDialog::GetDlgItem(int id) const
{
    if (!m_impl)
        return nullptr;
    auto it = m_impl->controls.find(id);
    return it == m_impl->controls.end() ? nullptr : it->second;
}

std::string CDialog::GetDlgItemText(int id) const
{
    QWidget* w = GetDlgItem(id);
    if (auto* e = qobject_cast<QLineEdit*>(w))
        return e->text().toStdString();
    if (auto* e = qobject_cast<QPlainTextEdit*>(w))
        return e->toPlainText().replace(QStringLiteral("\n"), QStringLiteral("\r\n")).toStdString();
    if (auto* b = qobject_cast<QAbstractButton*>(w))
        return b->text().toStdString();
    if (auto* l = qobject_cast<QLabel*>(w))
        return l->text().toStdString();
    return "";
}

void CDialog::SetDlgItemText(int id, const std::string& text)
{
    QWidget* w = GetDlgItem(id);
    if (auto* e = qobject_cast<QLineEdit*>(w))
        e->setText(ToEditText(text, false));
    else if (auto* e = qobject_cast<QPlainTextEdit*>(w))
        e->setPlainText(ToEditText(text, true));
    else if (auto* b = qobject_cast<QAbstractButton*>(w))
        b->setText(ToEditText(text, false));
    else if (auto* l = qobject_cast<QLabel*>(w))
        l->setText(ToEditText(text, false));
}

void CDialog::EnableDlgItem(int id, bool enable)
{
    if (QWidget* w = GetDlgItem(id))
        w->setEnabled(enable);
}

bool CDialog::IsDlgButtonChecked(int id) const
{
    auto* b = qobject_cast<QAbstractButton*>(GetDlgItem(id));
    return b && b->isChecked();
}

void CDialog::CheckDlgButton(int id, bool check)
{
    auto* b = qobject_cast<QAbstractButton*>(GetDlgItem(id));
    if (!b)
        return;
    QButtonGroup* group = b->group();
    // An exclusive group will not let its last checked button go.
    if (group && !check)
        group->setExclusive(false);
    b->setChecked(check);
    if (group && !check)
        group->setExclusive(true);
}

std::vector<int> CDialog::GetRadioGroup(int firstId) const
{
    std::vector<int> ids;
    bool inGroup = false;
    for (const DlgItem& item : m_template.items) {
        if (!inGroup) {
            inGroup = item.id == firstId;
        } else if (item.style & WS_GROUP) {
            break;
        }
        if (inGroup && item.kind == DlgItemKind::AutoRadioButton)
            ids.push_back(item.id);
    }
    return ids;
}

void CDialog::GotoDlgCtrl(int id)
{
    QWidget* w = GetDlgItem(id);
    if (!w)
        return;
    w->setFocus(Qt::OtherFocusReason);
    if (auto* e = qobject_cast<QLineEdit*>(w))
        e->selectAll();
}

void CDialog::RefuseField(int id, const std::string& message)
{
    AfxMessageBox(message);
    GotoDlgCtrl(id);
}

bool CDialog::Require(bool ok, int id, const std::string& message)
{
    if (!ok)
        RefuseField(id, message);
    return ok;
}

bool CDialog::AcceptVerdict(const CVerdict& verdict, std::initializer_list<std::pair<const void*, int>> fields)
{
    if (ShowVerdict(verdict))
        return true;
    for (auto [setting, id] : fields)
        if (verdict.subject == setting)
            GotoDlgCtrl(id);
    return false;
}

std::string ShouldBeBetween(const char* name, double least, double most)
{
    return FormatC("%s should be between %g and %g.", name, least, most);
}

std::string ShouldBeBetween(const char* name, int least, int most)
{
    return FormatC("%s should be between %d and %d.", name, least, most);
}

void CDialog::SetEditSel(int id, int start, int end)
{
    if (auto* e = qobject_cast<QLineEdit*>(GetDlgItem(id)))
        e->setSelection(start, end - start);
}
