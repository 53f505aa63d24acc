#pragma once

#include <QFileSystemWatcher>
#include <QPlainTextEdit>

#include <string>

// The forward-modelling program's log in a read-only, monospaced window of this program, read
// again whenever the file changes.
class CLogWindow : public QPlainTextEdit {
public:
    // Shows the log at path in the one log window, made over parent when there is none yet,
    // and reads it afresh.
    static void Open(const std::string& path, QWidget* parent);

private:
    explicit CLogWindow(QWidget* parent);
    void Reload();

    QString m_path;
    QFileSystemWatcher m_watcher;
};
