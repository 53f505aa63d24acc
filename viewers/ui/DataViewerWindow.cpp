#include "ui/DataViewerWindow.h"

#include "files/ViewerArgs.h"
#include "formats/DataFile.h"
#include "formats/FileNames.h"
#include "platform/FilePath.h"
#include "render/DataPicture.h"
#include "ui/PlotWidget.h"

#include <QAction>
#include <QActionGroup>

namespace {

QString ImageName(const std::string& path)
{
    std::string name = FileNamePart(path);
    const size_t dot = name.rfind('.');
    return QString::fromStdString((dot == std::string::npos || dot == 0 ? name : name.substr(0, dot)) + ".png");
}

} // namespace

CDataViewerWindow::CDataViewerWindow(std::unique_ptr<CDataPicture> picture, const std::string& dataPath)
    : CViewerWindow(*picture, QString::fromStdString(FileNamePart(dataPath) + " - velquor-data-viewer"),
                    ImageName(dataPath)),
      m_data(std::move(picture))
{
    Plot()->SetWindow(m_data->StartWindow());
    AddViewAction("Whole section", "Show every datum", QKeySequence(Qt::Key_W), [this] { ShowWholeSection(); });
    AddSeparator();
    m_depthAction = AddViewAction(
        "Pseudo-depth", "Plot the data at their median depth of investigation", QKeySequence(Qt::Key_D),
        [this] { UseLevels(false); }, true, !m_data->nLevel);
    m_levelAction = AddViewAction(
        "n-level", "Plot the data by the separation n of source and receiver", QKeySequence(Qt::Key_N),
        [this] { UseLevels(true); }, true, m_data->nLevel);
    auto* group = new QActionGroup(this);
    group->addAction(m_depthAction);
    group->addAction(m_levelAction);
    if (!m_data->Data().ip) {
        AddSeparator();
        m_dataOnlyActions.push_back(AddViewAction(
            "Log10", "Toggle log values on the colourbar", QKeySequence(Qt::Key_L), [this] { ToggleLog10(); }, true,
            false));
        m_dataOnlyActions.push_back(AddViewAction("Cond / Res", "Toggle conductivity / resistivity",
                                                  QKeySequence(Qt::Key_R), [this] { ToggleConductivity(); }));
    }
    AddSeparator();
    m_errorAction = AddViewAction(
        "Estimated error",
        m_data->HasEstimate() ? QString("Toggle the data / their estimated error from ") + kErrorFileName
                              : QString("Shown when ") + kErrorFileName + " beside the data file fits them",
        QKeySequence(Qt::Key_E), [this] { ShowError(!m_data->showError); }, true, false);
    m_errorAction->setEnabled(m_data->HasEstimate());
    m_dataImageName = ImageName(dataPath).toStdString();
    SetNote(QString::fromStdString(m_data->Estimate().note));
}

void CDataViewerWindow::ShowError(bool error)
{
    error = error && m_data->HasEstimate();
    m_errorAction->setChecked(error);
    for (QAction* action : m_dataOnlyActions)
        action->setEnabled(!error);
    m_data->showError = error;
    SetImageName(QString::fromStdString(error ? ErrorPictureName(m_dataImageName) : m_dataImageName));
    Redraw();
}

void CDataViewerWindow::ShowWholeSection()
{
    Plot()->SetWindow(m_data->WholeWindow());
}

void CDataViewerWindow::UseLevels(bool levels)
{
    m_depthAction->setChecked(!levels);
    m_levelAction->setChecked(levels);
    if (levels == m_data->nLevel)
        return;
    m_data->nLevel = levels;
    const QRectF shown = Plot()->Window(), whole = m_data->WholeWindow();
    Plot()->SetWindow(QRectF(QPointF(shown.left(), whole.top()), QPointF(shown.right(), whole.bottom())));
}

void CDataViewerWindow::ToggleLog10()
{
    m_data->display.log10 = !m_data->display.log10;
    Redraw();
}

void CDataViewerWindow::ToggleConductivity()
{
    m_data->display.conductivity = !m_data->display.conductivity;
    Redraw();
}
