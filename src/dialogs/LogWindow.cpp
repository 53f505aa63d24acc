#include "dialogs/LogWindow.h"

#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QPointer>
#include <QScrollBar>

CLogWindow::CLogWindow(QWidget* parent) : QPlainTextEdit(parent)
{
    setWindowFlag(Qt::Window);
    setAttribute(Qt::WA_DeleteOnClose);
    setReadOnly(true);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    // The log's tables line up in columns.
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setStyleHint(QFont::TypeWriter);
    setFont(font);
    resize(720, 460);
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, &CLogWindow::Reload);
    // A log made anew after the window opened is seen through its folder.
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, &CLogWindow::Reload);
}

void CLogWindow::Open(const std::string& path, QWidget* parent)
{
    static QPointer<CLogWindow> window;
    if (!window)
        window = new CLogWindow(parent);
    window->m_path = QString::fromStdString(path);
    window->setWindowTitle(window->m_path);
    if (!window->m_watcher.files().isEmpty())
        window->m_watcher.removePaths(window->m_watcher.files());
    if (!window->m_watcher.directories().isEmpty())
        window->m_watcher.removePaths(window->m_watcher.directories());
    window->m_watcher.addPath(QFileInfo(window->m_path).absolutePath());
    window->Reload();
    window->show();
    window->raise();
    window->activateWindow();
}

void CLogWindow::Reload()
{
    QFile file(m_path);
    QString text;
    if (file.open(QIODevice::ReadOnly))
        text = QString::fromUtf8(file.readAll()).replace("\r\n", "\n");
    // A file removed or replaced is no longer watched.
    if (!m_watcher.files().contains(m_path) && file.exists())
        m_watcher.addPath(m_path);
    if (text == toPlainText())
        return;
    // Following the end of a growing log, or staying where the reader is.
    QScrollBar* bar = verticalScrollBar();
    const bool atEnd = bar->value() == bar->maximum();
    const int at = bar->value();
    setPlainText(text);
    bar->setValue(atEnd ? bar->maximum() : at);
}
