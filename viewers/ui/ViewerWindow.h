#pragma once

#include <QKeySequence>
#include <QMainWindow>
#include <QString>

#include <functional>
#include <string>

class CPicture;
class CPlotWidget;
class QAction;
class QLabel;
class QMenu;
class QToolBar;

// The frame both viewers share: the picture, File > Save image... and Quit, a View menu and a
// toolbar that the viewer fills, zooming by keys, and the status bar describing what lies under
// the pointer.
class CViewerWindow : public QMainWindow {
public:
    // The picture belongs to the viewer deriving from this frame and must outlive it.
    CViewerWindow(CPicture& picture, const QString& caption, const QString& imageName);
    ~CViewerWindow() override;

    CPlotWidget* Plot() const { return m_plot; }
    // The status bar's text.
    QString StatusText() const;
    // Stands in the status bar whenever the pointer describes nothing.
    void SetNote(const QString& note);

    // Writes the picture as shown, at the size of the plot; a message box on failure.
    bool SaveImage(const std::string& path);
    // Asks for a file name, then saves.
    void OnSaveImage();

protected:
    // An action in the View menu and on the toolbar.
    QAction* AddViewAction(const QString& text, const QString& tip, const QKeySequence& key,
                           std::function<void()> handler, bool checkable = false, bool checked = false);
    void AddSeparator();
    void Redraw();
    void SetImageName(const QString& name) { m_imageName = name; }

private:
    CPicture& m_picture;
    CPlotWidget* m_plot;
    QMenu* m_viewMenu;
    QToolBar* m_toolBar;
    QLabel* m_status;
    QString m_imageName;
    QString m_note;
};
