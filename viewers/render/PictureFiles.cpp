#include "render/PictureFiles.h"

#include "draw/Png.h"
#include "files/DataEstimate.h"
#include "files/ModelSection.h"
#include "files/PseudoSection.h"
#include "files/Refusal.h"
#include "formats/DoiFile.h"
#include "render/DataPicture.h"
#include "render/ModelPicture.h"

#include <QGuiApplication>

std::unique_ptr<CModelPicture> LoadModelPicture(const CModelViewerArgs& args, std::string& error)
{
    CModelSection section;
    error = section.Load(args.meshPath, args.modelPath, args.ip ? EModelKind::ip : EModelKind::dc, args.sensitivity);
    if (!error.empty())
        return nullptr;
    CDoiFile doi;
    if (!args.doiPath.empty() && !(error = Refusal([&] { doi = CDoiFile::Read(args.doiPath); })).empty())
        return nullptr;
    auto picture = std::make_unique<CModelPicture>(std::move(section));
    for (const CDoiFile::CPoint& p : doi.points)
        picture->doi.emplace_back(p.x, p.z);
    picture->meshLines = args.meshLines;
    return picture;
}

std::unique_ptr<CDataPicture> LoadDataPicture(const std::string& dataPath, EModelKind kind, const std::string& topoPath,
                                              std::string& error)
{
    CDataFile data;
    error = Refusal([&] { data = CDataFile::Read(dataPath, kind); });
    if (!error.empty())
        return nullptr;
    CPseudoSection section;
    error = section.Build(data, dataPath);
    if (!error.empty())
        return nullptr;
    std::optional<CTopographyFile> topography;
    if (!topoPath.empty()) {
        error = Refusal([&] { topography = CTopographyFile::Read(topoPath); });
        if (!error.empty())
            return nullptr;
    }
    CDataEstimate estimate = LoadDataEstimate(data, dataPath);
    auto picture = std::make_unique<CDataPicture>(std::move(data), std::move(section), std::move(topography));
    picture->SetEstimate(std::move(estimate));
    return picture;
}

std::string WriteModelPng(const CModelViewerArgs& args)
{
    std::string error;
    auto picture = LoadModelPicture(args, error);
    if (!picture)
        return error;
    const QSize size(args.picture.width, args.picture.height);
    const QRectF window = args.wholeMesh ? picture->WholeWindow() : picture->StartWindow();
    return SavePng(picture->ToImage(size, window), args.picture.png);
}

std::string WriteDataPng(const CDataViewerArgs& args, std::string* note, bool* errorDrawn)
{
    std::string error;
    auto picture = LoadDataPicture(args.dataPath, args.ip ? EModelKind::ip : EModelKind::dc, args.topoPath, error);
    if (!picture)
        return error;
    picture->nLevel = args.nLevel;
    const QSize size(args.picture.width, args.picture.height);
    error = SavePng(picture->ToImage(size, picture->StartWindow()), args.picture.png);
    if (!error.empty() || !note)
        return error;
    *note = picture->Estimate().note;
    if (!picture->HasEstimate())
        return "";
    picture->showError = true;
    error = SavePng(picture->ToImage(size, picture->StartWindow()), ErrorPictureName(args.picture.png));
    if (errorDrawn)
        *errorDrawn = error.empty();
    return error;
}

namespace {

QtMessageHandler g_previousHandler = nullptr;

// The offscreen platform asks for a runtime folder that drawing pictures never uses, and warns
// when the environment names none; a script's standard error stays for what matters.
void QuietHandler(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (message.startsWith("QStandardPaths: XDG_RUNTIME_DIR not set"))
        return;
    g_previousHandler(type, context, message);
}

} // namespace

COffscreenGui::COffscreenGui()
{
    if (QCoreApplication::instance())
        return;
    g_previousHandler = qInstallMessageHandler(QuietHandler);
    static char name[] = "velquor", option[] = "-platform", platform[] = "offscreen";
    m_argv[0] = name;
    m_argv[1] = option;
    m_argv[2] = platform;
    m_argv[3] = nullptr;
    m_app = std::make_unique<QGuiApplication>(m_argc, m_argv);
}

COffscreenGui::~COffscreenGui()
{
    if (!m_app)
        return;
    m_app.reset();
    qInstallMessageHandler(g_previousHandler);
}

bool COffscreenGui::Ready() const
{
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
}
