#include "document/SectomatDoc.h"

#include "dialogs/DiscretizeDlg.h"
#include "dialogs/DlgFwdType.h"
#include "dialogs/ExportDlg.h"
#include "dialogs/ForwardProgressDlg.h"
#include "dialogs/LogWindow.h"
#include "dialogs/ModPropDlg.h"
#include "dialogs/OptimizeSurveyDlg.h"
#include "dialogs/ResourceIds.h"
#include "formats/ForwardInputFile.h"
#include "forward/FolderRuns.h"
#include "forward/ForwardRun.h"
#include "mesh/Discretize.h"
#include "model/ModelFile.h"
#include "platform/FileDialog.h"
#include "platform/FilePath.h"
#include "platform/FrameWnd.h"
#include "platform/MessageBox.h"
#include "platform/Refusal.h"
#include "platform/StdioFile.h"
#include "platform/TextFormat.h"
#include "platform/WaitCursor.h"
#include "platform/WinApp.h"

namespace {

// Releases the folder's lock when the command ends, unless kept for the next step.
struct CLockUntilDone {
    CFolderLock& lock;
    bool keep = false;
    ~CLockUntilDone()
    {
        if (!keep)
            lock.Release();
    }
};

} // namespace

CSectomatDoc::CSectomatDoc()
{
    MapCommand(ID_FILE_OPEN, &CSectomatDoc::OnFileOpen);
    MapCommand(ID_FILE_SAVE_AS, &CSectomatDoc::OnFileSave);
    MapCommand(ID_DISCRETIZE, &CSectomatDoc::OnDiscretize);
    MapCommand(ID_FORWARD_MODEL, &CSectomatDoc::OnForwardModel);
    MapUpdate(ID_FORWARD_MODEL, &CSectomatDoc::OnUpdateForwardModel);
    MapCommand(ID_OPTIMIZE_SURVEY, &CSectomatDoc::OnOptimizeSurvey);
    MapUpdate(ID_OPTIMIZE_SURVEY, &CSectomatDoc::OnUpdateForwardModel);
    MapCommand(ID_VIEW_LOG_FILE, &CSectomatDoc::OnLogFile);
    MapUpdate(ID_VIEW_LOG_FILE, &CSectomatDoc::OnUpdateLogFile);
    MapCommand(ID_FILE_EXPORT_DATA, &CSectomatDoc::OnExportData);
    MapUpdate(ID_FILE_EXPORT_DATA, &CSectomatDoc::OnUpdateExportData);
    MapCommand(ID_EDIT_UNDO, &CSectomatDoc::OnEditUndo);
    MapUpdate(ID_EDIT_UNDO, &CSectomatDoc::OnUpdateEditUndo);
    MapCommand(ID_EDIT_REDO, &CSectomatDoc::OnEditRedo);
    MapUpdate(ID_EDIT_REDO, &CSectomatDoc::OnUpdateEditRedo);
    MapCommand(ID_EDIT_MODEL_PROPERTIES, &CSectomatDoc::OnModelProperties);
}

bool CSectomatDoc::AskFrame()
{
    CModPropDlg dlg;
    dlg.m_x1 = m_coreX1;
    dlg.m_x2 = m_coreX2;
    dlg.m_top = m_coreZ1;
    dlg.m_depth = m_coreZ2;
    dlg.m_dcBackground = m_dcBackground;
    dlg.m_ipBackground = m_ipBackground;
    if (dlg.DoModal() != IDOK)
        return false;
    m_coreX1 = dlg.m_x1;
    m_coreX2 = dlg.m_x2;
    m_coreZ1 = dlg.m_top;
    m_coreZ2 = dlg.m_depth;
    m_dcBackground = dlg.m_dcBackground;
    m_ipBackground = dlg.m_ipBackground;
    return true;
}

bool CSectomatDoc::OnNewDocument()
{
    if (!AskFrame())
        return false;
    m_dcModel.clear();
    m_ipModel.clear();
    FlatTopography();
    // A new model starts from the default settings; the accuracy target and the sensitivities
    // are the session's.
    CDiscretizeSettings settings;
    settings.accuracyPercent = m_discretize.accuracyPercent;
    settings.sensitivities = m_discretize.sensitivities;
    m_discretize = settings;
    // Nothing is lost in closing a model that is still as New made it.
    SetModifiedFlag(false);
    m_bDiscretized = m_bForwardDone = false;
    m_history.Reset(*this, true);
    m_folderLock.Release();

    SetTitle("");
    ClearPathName();
    return true;
}

// The model file's reader opens the file itself, and only once it knows it is a regular file.
bool CSectomatDoc::OnOpenDocument(const std::string& path)
{
    return ReadModel(path);
}

bool CSectomatDoc::OnSaveDocument(const std::string& path)
{
    return WriteModel(path);
}

void CSectomatDoc::SetPathName(const std::string& path, bool addToRecentFiles)
{
    CDocument::SetPathName(path, addToRecentFiles);
    SetTitle(GetPathName());
    SetCurrentDirectory(RemoveLastComponent(GetPathName()));
}

bool CSectomatDoc::ReadModel(const std::string& path)
{
    if (!Attempt([&] { ReadModelFile(path, *this); }))
        return false;
    m_folderLock.Release();
    SetPathName(path);
    // A discretization and a run of this model in its folder are taken up again.
    CFolderRuns runs = RecogniseFolder(*this);
    m_bDiscretized = runs.discretized;
    m_bForwardDone = runs.forwardDone;
    m_meshShapes = std::move(runs.shapes);
    SetModifiedFlag(false);
    m_history.Reset(*this, true);
    UpdateAllViews(nullptr, kHintOpened);
    return true;
}

bool CSectomatDoc::WriteModel(const std::string& path)
{
    if (!Attempt([&] { WriteModelFile(path, *this); }))
        return false;
    // The discretization held is in the folder left behind.
    if (RemoveLastComponent(AbsolutePath(path)) != GetCurrentDirectory())
        m_folderLock.Release();
    SetPathName(path);
    SetModifiedFlag(false);
    m_history.MarkSaved();
    return true;
}

void CSectomatDoc::CommitEdit()
{
    SetModifiedFlag(true);
    m_bDiscretized = m_bForwardDone = false;
    m_folderLock.Release();
    m_history.Record(*this);
}

void CSectomatDoc::StepHistory(bool redo)
{
    if (redo)
        m_history.Redo(*this);
    else
        m_history.Undo(*this);
    // A discretization belongs to the state it was made of.
    m_bDiscretized = m_bForwardDone = false;
    m_folderLock.Release();
    SetModifiedFlag(!m_history.AtSavedState());
    UpdateAllViews(nullptr);
}

void CSectomatDoc::OnEditUndo()
{
    StepHistory(false);
}

void CSectomatDoc::OnUpdateEditUndo(CCmdUI* ui)
{
    ui->Enable(m_history.CanUndo());
}

void CSectomatDoc::OnEditRedo()
{
    StepHistory(true);
}

void CSectomatDoc::OnUpdateEditRedo(CCmdUI* ui)
{
    ui->Enable(m_history.CanRedo());
}

void CSectomatDoc::OnModelProperties()
{
    if (!AskFrame())
        return;
    // A flat surface stays on the core's top; a drawn one stays where it was drawn.
    if (!m_bTopography)
        FlatTopography();
    CommitEdit();
    UpdateAllViews(nullptr);
}

void CSectomatDoc::OnFileOpen()
{
    CFileDialog dlg(true, nullptr, nullptr, OFN_HIDEREADONLY | OFN_FILEMUSTEXIST, "model files|*.*||");
    if (dlg.DoModal() != IDOK)
        return;
    // Unsaved work is offered a save before another model replaces it.
    if (!SaveModified())
        return;
    ReadModel(dlg.GetPathName());
}

// The menu's Save always asks where to write; the dialog opens in the model's folder.
void CSectomatDoc::OnFileSave()
{
    CFileDialog dlg(false, nullptr, nullptr, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, "Model||");
    if (dlg.DoModal() != IDOK)
        return;
    WriteModel(dlg.GetPathName());
}

void CSectomatDoc::OnDiscretize()
{
    // The files of the folder must come from a model that is saved: OK saves it and goes on.
    if (IsModified() || GetPathName().empty()) {
        if (AfxMessageBox("Save the model before discretizing it.", MB_OKCANCEL | MB_ICONQUESTION) != IDOK)
            return;
        if (GetPathName().empty())
            OnFileSave();
        else
            WriteModel(GetPathName());
        if (IsModified() || GetPathName().empty())
            return;
    }
    // Before the question and the dialogs, so that a folder in use is known at once, but without
    // making a lock file until the discretization writes its files; kept for the forward run then.
    if (!Attempt([&] { m_folderLock.Take(false); }))
        return;
    CLockUntilDone locked{m_folderLock};
    // Asked now, done only when the discretization goes ahead: a Cancel or a refusal keeps them.
    bool erase = false;
    if (!AskToErasePreviousResults(erase))
        return;

    m_discretize = ProposedSettings(*this);
    CDiscretizeDlg dlg;
    dlg.m_settings = m_discretize;
    dlg.m_coreWidth = m_coreX2 - m_coreX1;
    if (dlg.DoModal() != IDOK)
        return;
    m_discretize = dlg.m_settings;
    m_bDiscretized = m_bForwardDone = false;

    // Until the forward type suits the chargeabilities: a Cancel of the warning or a refusal goes
    // back to the dialog.
    for (bool chosen = false; !chosen;) {
        CDlgFwdType type;
        type.m_fwdType = m_discretize.forward;
        type.m_accuracyPercent = m_discretize.accuracyPercent;
        type.m_sensitivities = m_discretize.sensitivities;
        if (type.DoModal() != IDOK)
            return;
        m_discretize.forward = type.m_fwdType;
        m_discretize.accuracyPercent = type.m_accuracyPercent;
        m_discretize.sensitivities = type.m_sensitivities;
        chosen = ConfirmVerdict(CheckChargeabilities(*this));
    }

    CDiscretized done;
    {
        CWaitCursor wait;
        if (!Attempt([&] { done = RunDiscretization(*this, erase, &m_folderLock); }))
            return;
    }
    locked.keep = true;
    m_meshShapes = std::move(done.shapes);
    ShowWarnings(done.warnings);
    AfxMessageBox(done.summary, MB_ICONINFORMATION);
    m_bDiscretized = true;
    UpdateAllViews(nullptr);
}

void CSectomatDoc::OnForwardModel()
{
    CLockUntilDone locked{m_folderLock};
    CForwardRun run(*this, m_folderLock, m_discretize.accuracyPercent);
    {
        CWaitCursor wait;
        const bool started = Attempt([&] { run.Start(); });
        if (run.RemovedResults())
            m_bForwardDone = false;
        if (!started)
            return;
    }
    QWidget* frame = AfxGetApp() ? AfxGetApp()->m_pMainWnd : nullptr;
    CForwardProgressDlg progress(run, frame);
    progress.Watch();
    // A run cancelled because the window closed has nobody left to tell.
    if (run.Cancelled() && frame && !frame->isVisible())
        return;
    if (Attempt([&] { run.Finish(); })) {
        m_bForwardDone = true;
        // The depth of investigation of the run, drawn over the model.
        UpdateAllViews(nullptr, kHintResults);
        AnnounceForwardFinished(*this, m_discretize.accuracyPercent);
    }
}

std::string DesignCandidates(const CModelData& m)
{
    const CDiscretizeSettings& d = m.m_discretize;
    const std::string aim = "are chosen for the resolution of the core area on this model, from ";
    if (d.array == EArray::protocol)
        return "The configurations " + aim + "the lines of the protocol\n" + d.protocolFile + ".";
    return "The configurations " + aim +
           FormatC("every four of the survey's electrodes (a = %g from x = %g), without those whose geometric "
                   "factor exceeds dipole-dipole's with n = 6.",
                   d.aSpacing, m.m_coreX1);
}

void CSectomatDoc::OnOptimizeSurvey()
{
    COptimizeSurveyDlg dlg;
    dlg.m_count = m_designCount;
    dlg.m_candidates = DesignCandidates(*this);
    if (dlg.DoModal() != IDOK)
        return;
    m_designCount = dlg.m_count;
    CLockUntilDone locked{m_folderLock};
    CForwardRun run(*this, m_folderLock, {}, m_designCount);
    {
        CWaitCursor wait;
        if (!Attempt([&] { run.Start(); }))
            return;
    }
    QWidget* frame = AfxGetApp() ? AfxGetApp()->m_pMainWnd : nullptr;
    CForwardProgressDlg progress(run, frame, "Survey design");
    progress.Watch();
    if (run.Cancelled() && frame && !frame->isVisible())
        return;
    std::string report;
    if (!Attempt([&] {
            run.Finish();
            report = SurveyDesignReport();
        }))
        return;
    const std::string protocol = AbsolutePath(kDesignProtocolFileName);
    if (AfxMessageBox(report + "\nThe configurations are in\n" + protocol +
                          "\nUse them as the protocol of the next discretization?",
                      MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    m_discretize.array = EArray::protocol;
    m_discretize.protocolFile = protocol;
}

void CSectomatDoc::OnExportData()
{
    CExportDlg dlg;
    dlg.m_settings = m_export;
    // Proposed beside the model, as the other files are.
    if (dlg.m_settings.path.empty())
        dlg.m_settings.path = AbsolutePath(DefaultExportFileName(dlg.m_settings.format));
    // A refused name or a No to replacing a file goes back to the dialog.
    dlg.m_acceptPath = [this](const std::string& path) {
        if (IsSameFile(path, GetPathName())) {
            AfxMessageBox("Cannot export the data over the model file.");
            return false;
        }
        if (!Attempt([&] { CheckExportPath(*this, path, GetPathName()); }))
            return false;
        return !FileExists(path) || AfxMessageBox(path + " already exists.\nDo you want to replace it?",
                                                  MB_YESNO | MB_ICONQUESTION) == IDYES;
    };
    if (dlg.DoModal() != IDOK)
        return;
    m_export = dlg.m_settings;
    std::string summary;
    {
        CWaitCursor wait;
        CLockUntilDone locked{m_folderLock};
        if (!Attempt([&] {
                m_folderLock.Take();
                summary = ExportData(*this, m_export);
            }))
            return;
    }
    AfxMessageBox(summary, MB_ICONINFORMATION);
}

void CSectomatDoc::OnUpdateExportData(CCmdUI* ui)
{
    ui->Enable(!IsModified() && m_bForwardDone);
}

bool AskToErasePreviousResults(bool& erase)
{
    erase = false;
    if (!HasPreviousResults())
        return true;
    if (AfxMessageBox(kEraseResultsQuestion, MB_YESNO | MB_ICONQUESTION) != IDYES)
        return false;
    erase = true;
    return true;
}

void AnnounceForwardFinished(const CModelData& model, double targetPercent, bool programWarnings)
{
    MessageBeep();
    const std::string note = ForwardAccuracyNote(model, targetPercent, programWarnings);
    if (note.empty())
        AfxMessageBox("Forward modelling has finished.", MB_ICONINFORMATION);
    else
        AfxMessageBox("Forward modelling has finished.\n" + note, MB_ICONEXCLAMATION);
}

void CSectomatDoc::OnUpdateForwardModel(CCmdUI* ui)
{
    ui->Enable(m_bDiscretized);
}

void CSectomatDoc::OnLogFile()
{
    if (!FileExists(kLogFileName)) {
        AfxMessageBox(std::string("Log file doesn't exist.\n") + kLogFileName);
        return;
    }
    CLogWindow::Open(AbsolutePath(kLogFileName), AfxGetApp() ? AfxGetApp()->m_pMainWnd : nullptr);
}

void CSectomatDoc::OnUpdateLogFile(CCmdUI* ui)
{
    ui->Enable(!IsModified() && m_bDiscretized);
}
