#pragma once

#include "formats/DataFile.h"
#include "forward/Export.h"
#include "mesh/Discretize.h"
#include "model/ModelData.h"
#include "model/ModelHistory.h"
#include "platform/Document.h"
#include "platform/FolderLock.h"

#include <string>

// The hint of UpdateAllViews when only the results of a run changed: the model is as it was.
constexpr long kHintResults = 1;
// The hint when a model was opened or created: drawn anew, but no viewer starts.
constexpr long kHintOpened = 2;

// The one document: owns the model and hosts the commands that read, write and process it.
class CSectomatDoc : public CDocument, public CModelData {
public:
    CSectomatDoc();

    // Asks for the new model's frame; false when the user cancelled, the model unchanged.
    bool OnNewDocument() override;
    // Opens the model named on the command line; false when it could not be read.
    bool OnOpenDocument(const std::string& path) override;
    bool OnSaveDocument(const std::string& path) override;
    // Titles the window with the full path and makes the model's folder the current folder,
    // where every file of the discretization and the forward run lives.
    void SetPathName(const std::string& path, bool addToRecentFiles = true) override;

    // Reads a model file into the document; on failure the document stays as it was. A file
    // named as one the program writes beside the model is refused, as it would be destroyed.
    bool ReadModel(const std::string& path);
    // Writes the model file, through the user's link if path is one; on failure the path, flags
    // and any previous file stay. Names are refused as by ReadModel.
    bool WriteModel(const std::string& path);

    // Every edit of the model ends here: it is modified, its results are out of date, and the
    // edit becomes a step that can be undone.
    void CommitEdit();
    // Edit > Undo and Redo: the model as it was before (after) the step; results go out of date
    // as with any edit, and the views start afresh.
    void OnEditUndo();
    void OnUpdateEditUndo(CCmdUI* ui);
    void OnEditRedo();
    void OnUpdateEditRedo(CCmdUI* ui);
    // Edit > Model properties: a new frame (core area, backgrounds) for the blocks and
    // topography as they are.
    void OnModelProperties();

    // Data > discretize: the Discretize and forward type dialogs, then the discretization files
    // in the model's folder and their summary. Refused at once while another run uses the folder.
    void OnDiscretize();
    // Data > forward model: the forward-modelling program on the discretized model, watched
    // under a progress dialog that can cancel it.
    void OnForwardModel();
    void OnUpdateForwardModel(CCmdUI* ui);
    // Data > optimize survey: how many configurations, then the survey design on the discretized
    // model under the progress dialog, its report, and whether its protocol is to be the survey
    // of the next discretization.
    void OnOptimizeSurvey();
    // View > Log file: the forward-modelling program's log in a window of its own.
    void OnLogFile();
    void OnUpdateLogFile(CCmdUI* ui);
    // File > Export data: the predicted data with noise, for an inversion program.
    void OnExportData();
    void OnUpdateExportData(CCmdUI* ui);

    // The folder's discretization of the model, unless edited since, with its shapes; its forward
    // run's results likewise.
    bool m_bDiscretized = false;
    bool m_bForwardDone = false;
    CDiscretizedShapes m_meshShapes;

    // The last export's choices, offered again for the next; the last design's count.
    CExportSettings m_export;
    int m_designCount = 1000;

protected:
    void OnFileOpen();
    void OnFileSave();

private:
    // Model Properties on the current frame; false, and nothing changed, when cancelled.
    bool AskFrame();
    void StepHistory(bool redo);

    CModelHistory m_history;
    // The model's folder, held from Discretize to the end of the forward run that follows, and for
    // each run and export; released when the discretization goes out of date or the model closes.
    CFolderLock m_folderLock;
};

// What a survey design on the model's discretization chooses from, for its dialog.
std::string DesignCandidates(const CModelData& model);

// Before a new discretization: when a forward run left results in the current folder, asks
// whether to erase them; erase tells RunDiscretization to, once it goes ahead. False when the
// user said no.
bool AskToErasePreviousResults(bool& erase);
// Says that a forward run succeeded, how many data its estimate puts above the target and, unless
// they were shown already, the program's warnings: the beep and the box.
void AnnounceForwardFinished(const CModelData& model, double targetPercent = kDefaultAccuracyPercent,
                             bool programWarnings = true);
