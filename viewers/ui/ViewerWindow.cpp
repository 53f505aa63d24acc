#include "ui/ViewerWindow.h"

#include "draw/Png.h"
#include "platform/MessageBox.h"
#include "render/Picture.h"
#include "ui/PlotWidget.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>

CViewerWindow::CViewerWindow(CPicture& picture, const QString& caption, const QString& imageName)
    : m_picture(picture), m_imageName(imageName)
{
    setWindowTitle(caption);
    m_plot = new CPlotWidget(&m_picture, this);
    setCentralWidget(m_plot);
    m_status = new QLabel(this);
    m_status->setTextInteractionFlags(Qt::TextSelectableByMouse);
    statusBar()->addWidget(m_status, 1);
    m_plot->onDescribe = [this](const std::string& text) {
        m_status->setText(text.empty() ? m_note : QString::fromStdString(text));
    };

    QMenu* file = menuBar()->addMenu("&File");
    QAction* save = file->addAction("&Save image...", this, &CViewerWindow::OnSaveImage);
    save->setShortcut(QKeySequence::Save);
    save->setStatusTip("Write the picture as shown to a PNG file");
    file->addSeparator();
    QAction* quit = file->addAction("&Quit", this, &QWidget::close);
    quit->setShortcut(QKeySequence::Quit);

    m_viewMenu = menuBar()->addMenu("&View");
    m_toolBar = addToolBar("View");
    m_toolBar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    m_toolBar->setMovable(false);
    AddViewAction("Zoom in", "Zoom in about the middle", QKeySequence(Qt::Key_Plus), [this] { m_plot->Zoom(1.25); });
    AddViewAction("Zoom out", "Zoom out about the middle", QKeySequence(Qt::Key_Minus), [this] { m_plot->Zoom(0.8); });
    // '=' shares the '+' key on most keyboards.
    QAction* zoomIn = new QAction(this);
    zoomIn->setShortcut(QKeySequence(Qt::Key_Equal));
    connect(zoomIn, &QAction::triggered, this, [this] { m_plot->Zoom(1.25); });
    addAction(zoomIn);
    AddSeparator();
    resize(1000, 680);
}

CViewerWindow::~CViewerWindow() = default;

QString CViewerWindow::StatusText() const
{
    return m_status->text();
}

void CViewerWindow::SetNote(const QString& note)
{
    m_note = note;
    m_status->setText(note);
}

QAction* CViewerWindow::AddViewAction(const QString& text, const QString& tip, const QKeySequence& key,
                                      std::function<void()> handler, bool checkable, bool checked)
{
    QAction* action = m_viewMenu->addAction(text);
    action->setShortcut(key);
    action->setStatusTip(tip);
    action->setToolTip(key.isEmpty() ? tip : tip + " (" + key.toString(QKeySequence::NativeText) + ")");
    action->setCheckable(checkable);
    action->setChecked(checked);
    connect(action, &QAction::triggered, this, [handler] { handler(); });
    m_toolBar->addAction(action);
    return action;
}

void CViewerWindow::AddSeparator()
{
    m_viewMenu->addSeparator();
    m_toolBar->addSeparator();
}

void CViewerWindow::Redraw()
{
    m_plot->update();
}

bool CViewerWindow::SaveImage(const std::string& path)
{
    const std::string error = SavePng(m_picture.ToImage(m_plot->size(), m_plot->Window()), path);
    if (error.empty())
        return true;
    AfxMessageBox(error, MB_ICONERROR);
    return false;
}

void CViewerWindow::OnSaveImage()
{
    QFileDialog dialog(this, "Save image", QDir::current().filePath(m_imageName), "PNG images (*.png)");
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix("png");
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    SaveImage(QFile::encodeName(dialog.selectedFiles().front()).toStdString());
}
