#include "ui/ModelViewerWindow.h"

#include "platform/FilePath.h"
#include "render/ModelPicture.h"
#include "ui/PlotWidget.h"

#include <QAction>

namespace {

QString Caption(const CModelSection& s)
{
    return QString::fromStdString(FileNamePart(s.modelPath) + " on " + FileNamePart(s.meshPath) +
                                  " - velquor-model-viewer");
}

QString ImageName(const CModelSection& s)
{
    std::string name = FileNamePart(s.modelPath);
    const size_t dot = name.rfind('.');
    return QString::fromStdString((dot == std::string::npos || dot == 0 ? name : name.substr(0, dot)) +
                                  (s.sensitivity ? "-sens.png"
                                   : s.ip        ? "-chg.png"
                                                 : "-con.png"));
}

} // namespace

CModelViewerWindow::CModelViewerWindow(std::unique_ptr<CModelPicture> picture)
    : CViewerWindow(*picture, Caption(picture->Section()), ImageName(picture->Section())), m_model(std::move(picture))
{
    const bool dc = !m_model->Section().ip && !m_model->Section().sensitivity;
    AddViewAction("Core region", "Show the region of uniform cells", QKeySequence(Qt::Key_C),
                  [this] { ShowCoreRegion(); });
    AddViewAction("Whole mesh", "Show the whole mesh with its padding", QKeySequence(Qt::Key_W),
                  [this] { ShowWholeMesh(); });
    AddSeparator();
    AddViewAction(
        "Mesh lines", "Show or hide the mesh lines", QKeySequence(Qt::Key_M), [this] { ToggleMeshLines(); }, true,
        Picture().meshLines);
    if (!m_model->doi.empty())
        AddViewAction(
            "Depth of investigation", "Show or hide the depth of investigation", QKeySequence(Qt::Key_D),
            [this] { ToggleDoi(); }, true, m_model->doiLine);
    if (dc) {
        AddViewAction(
            "Log10", "Toggle log values on the colourbar", QKeySequence(Qt::Key_L), [this] { ToggleLog10(); }, true,
            false);
        AddViewAction("Cond / Res", "Toggle conductivity / resistivity", QKeySequence(Qt::Key_R),
                      [this] { ToggleConductivity(); });
    }
}

void CModelViewerWindow::ShowCoreRegion()
{
    Plot()->SetWindow(m_model->StartWindow());
}

void CModelViewerWindow::ShowWholeMesh()
{
    Plot()->SetWindow(m_model->WholeWindow());
}

void CModelViewerWindow::ToggleMeshLines()
{
    Picture().meshLines = !Picture().meshLines;
    Redraw();
}

void CModelViewerWindow::ToggleDoi()
{
    m_model->doiLine = !m_model->doiLine;
    Redraw();
}

void CModelViewerWindow::ToggleLog10()
{
    m_model->display.log10 = !m_model->display.log10;
    Redraw();
}

void CModelViewerWindow::ToggleConductivity()
{
    m_model->display.conductivity = !m_model->display.conductivity;
    Redraw();
}
