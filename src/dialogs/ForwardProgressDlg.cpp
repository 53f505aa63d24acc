#include "dialogs/ForwardProgressDlg.h"

#include "forward/ForwardRun.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QEventLoop>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QRegularExpression>
#include <QTimer>
#include <QVBoxLayout>

#include <vector>

namespace {

CForwardProgressDlg* g_running = nullptr;

// Swallows every shortcut while it lives: the menus' accelerators stay on the main window.
class CShortcutBlocker : public QObject {
public:
    CShortcutBlocker() { qApp->installEventFilter(this); }
    ~CShortcutBlocker() override { qApp->removeEventFilter(this); }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        return event->type() == QEvent::Shortcut || event->type() == QEvent::ShortcutOverride;
    }
};

} // namespace

CForwardProgressDlg::CForwardProgressDlg(CForwardRun& run, QWidget* parent, const char* title)
    : QDialog(parent), m_run(run), m_text(new QLabel(QString(title) + " is running.")), m_bar(new QProgressBar),
      m_timer(new QTimer(this))
{
    setWindowTitle(title);
    setMinimumWidth(380);
    m_text->setTextFormat(Qt::PlainText);
    // The accuracy check's lines run longer than the dialog is wide; room for two lines keeps the
    // dialog from changing size as they come and go.
    m_text->setWordWrap(true);
    m_text->setMinimumHeight(2 * m_text->fontMetrics().lineSpacing());
    m_bar->setRange(0, 0); // busy until the first line says how far it is
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::rejected, this, &CForwardProgressDlg::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_text);
    layout->addWidget(m_bar);
    layout->addWidget(buttons);
    connect(m_timer, &QTimer::timeout, this, &CForwardProgressDlg::Poll);
    m_timer->start(30);
    g_running = this;
}

CForwardProgressDlg::~CForwardProgressDlg()
{
    if (g_running == this)
        g_running = nullptr;
}

int CForwardProgressDlg::Watch()
{
    std::vector<QPointer<QWidget>> disabled;
    if (QWidget* frame = parentWidget())
        for (QWidget* child : frame->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            if (!child->isWindow() && child->isEnabled()) {
                child->setEnabled(false);
                disabled.emplace_back(child);
            }
    {
        CShortcutBlocker blocker;
        QEventLoop loop;
        connect(this, &QDialog::finished, &loop, &QEventLoop::quit);
        setModal(false);
        show();
        activateWindow();
        loop.exec();
    }
    for (const QPointer<QWidget>& child : disabled)
        if (child)
            child->setEnabled(true);
    return result();
}

void CForwardProgressDlg::CancelRunning()
{
    if (g_running && g_running->isVisible())
        g_running->reject();
}

void CForwardProgressDlg::reject()
{
    if (m_timer->isActive()) {
        m_timer->stop();
        m_run.Cancel();
    }
    QDialog::reject();
}

void CForwardProgressDlg::Poll()
{
    std::vector<std::string> lines;
    const bool running = m_run.ReadLines(0, lines);
    for (const std::string& line : lines)
        Show(line);
    if (!running) {
        m_timer->stop();
        accept();
    }
}

// "wavenumber 3 of 14", or "model 1 of 2, wavenumber 3 of 14" from a run of two models whose
// wavenumbers are worked on side by side.
void CForwardProgressDlg::Show(const std::string& line)
{
    const QString text = QString::fromStdString(line);
    m_text->setText(text);
    static const QRegularExpression ofPattern("(\\d+) of (\\d+)");
    std::vector<std::pair<int, int>> counts;
    for (auto it = ofPattern.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        counts.emplace_back(match.captured(1).toInt(), match.captured(2).toInt());
    }
    if (counts.empty() || counts.size() > 2)
        return;
    const int model = counts.size() == 2 ? counts[0].first : 1, models = counts.size() == 2 ? counts[0].second : 1;
    m_done[model] = counts.back().first;
    int done = 0;
    for (const auto& [m, n] : m_done)
        done += n;
    const int total = models * counts.back().second;
    if (total > 0) {
        m_bar->setRange(0, total);
        m_bar->setValue(std::min(done, total));
    }
}
