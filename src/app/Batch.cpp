#include "app/Batch.h"

#include "document/SectomatDoc.h"
#include "formats/DataFile.h"
#include "formats/FileNames.h"
#include "formats/ForwardInputFile.h"
#include "formats/Limits.h"
#include "forward/Export.h"
#include "forward/ForwardRun.h"
#include "mesh/Discretize.h"
#include "model/ModelData.h"
#include "model/ModelFile.h"
#include "platform/FileException.h"
#include "platform/FilePath.h"
#include "platform/FolderLock.h"
#include "platform/MessageBox.h"
#include "platform/Refusal.h"
#include "platform/StdioFile.h"
#include "platform/TextFormat.h"
#include "render/PictureFiles.h"

#include <algorithm>
#include <charconv>
#include <csignal>
#include <map>
#include <memory>
#include <new>
#include <optional>
#include <ostream>
#include <unistd.h>

namespace {

// The file names are FileNames.h's, put in by Usage.
const char* const kUsage =
    "Usage: velquor-model-maker [MODEL-FILE]\n"
    "       velquor-model-maker --batch MODEL-FILE [options]\n"
    "\n"
    "Discretizes MODEL-FILE without a window, writing the files of Data > discretize beside it.\n"
    "Options not given keep the values from the locations file beside the model, or the defaults.\n"
    "  --array pole-pole|dipole-dipole|pole-dipole-r|pole-dipole-l|wenner|wenner-schlumberger|gradient\n"
    "  --protocol FILE      the survey of an instrument's protocol: lines of A B M N electrode numbers,\n"
    "                       electrode k at x1 + (k - 1) a, 0 for an electrode at infinity\n"
    "  --n N                number of separations\n"
    "  --a A                a-spacing\n"
    "  --mesh m1|m2|PATH    m1: cells per electrode spacing; m2: dx and dz; PATH: an existing mesh file\n"
    "  --cells C            cells between electrodes (m1)\n"
    "  --aspect R           aspect ratio dx/dz (m1)\n"
    "  --dx DX  --dz DZ     smallest cell width and thickness (m2)\n"
    "  --fwd dc|ip|ipl      type of forward modelling\n"
    "  --forward            then run the forward modelling on the discretized model\n"
    "  --accuracy PCT|off   refine until every datum's estimated error is within PCT %% of V/I (0.5 if\n"
    "                       not given); off: one grid, no estimate and no %s\n"
    "  --sensitivity        the run also writes each cell's sensitivity (%s, the sum over the\n"
    "                       data of |d ln V / d ln sigma| over the cell's area, the largest 1) and the\n"
    "                       depth of investigation along the line (%s)\n"
    "  --jacobian           ... and every datum's sensitivity to every cell (%s, float64)\n"
    "  --optimize-survey K  instead of --forward, choose the K configurations that best resolve the core\n"
    "                       area on this model (compare-R), from every four electrodes of the survey's\n"
    "                       (or the lines of --protocol), into %s for --protocol;\n"
    "                       the report, beside dipole-dipole, Wenner and Wenner-Schlumberger, in\n"
    "                       %s\n"
    "  --export-pygimli FILE   after --forward, the data for pyGIMLi/BERT (unified data format)\n"
    "  --export-res2dinv FILE  ... for Res2DInv (general array, resistances)\n"
    "  --export-resipy FILE    ... for ResIPy (Res2DInv general array with remote electrodes)\n"
    "  --export-r2 FILE        ... as R2/cR2's protocol.dat, with FILE's stem + _electrodes.csv for ResIPy\n"
    "  --noise PCT[,FLOOR_MV[,CURRENT_A]]  Gaussian noise of PCT %% of V/I plus FLOOR_MV mV at CURRENT_A A\n"
    "                       (1 A if not given); the error columns hold its standard deviation.\n"
    "                       Commas separate the parts: 2,5 is 2 %% and 5 mV; 2.5 %% is 2.5\n"
    "  --ip-noise MVV       Gaussian noise of the chargeability, in mV/V\n"
    "  --seed N             the noise's seed: the same seed gives the same files (0 if not given)\n"
    "  --phase-factor F     cR2's phase in mrad is -F times the chargeability in mV/V (1 if not given)\n"
    "  --add-modelling-error  add the forward run's estimated error of each datum (%s) to the\n"
    "                       noise's in the error columns (pyGIMLi and R2 only)\n"
    "  --png PREFIX         draw the discretized model into PREFIX-model.png and, with --forward,\n"
    "                       the predicted data into PREFIX-data.png and their estimated error into\n"
    "                       PREFIX-data-error.png (and for IP PREFIX-model-ip.png and\n"
    "                       PREFIX-data-ip.png; with --sensitivity PREFIX-sensitivity.png), as the\n"
    "                       viewers show them\n"
    "Numbers take a decimal point, whatever the language of the desktop.\n"
    "The summary goes to standard output, messages and the forward run's progress to standard error.\n"
    "Exit status: 0 done, 1 refused, 2 usage error, 128 + the signal's number when stopped by one.\n";

std::string Usage()
{
    return FormatC(kUsage, kErrorFileName, kSensitivityFileName, kDoiFileName, kJacobianFileName,
                   kDesignProtocolFileName, kDesignReportFileName, kErrorFileName);
}

struct Options {
    std::string model;
    std::optional<int> n, cells;
    std::optional<EArray> array;
    std::optional<EForwardType> fwd;
    std::optional<EMeshOption> meshType;
    std::optional<double> a, aspect, dx, dz;
    std::string meshPath;
    std::string protocolPath;
    std::vector<std::pair<EExportFormat, std::string>> exports; // absolute paths
    CExportSettings exportSettings; // the noise, the phase factor and whether to add the modelling error
    bool forward = false;
    std::optional<double> accuracyPercent; // 0: off; none: the forward program's default
    bool sensitivities = false, jacobian = false;
    std::optional<int> design; // configurations of --optimize-survey
    std::string pngPrefix;     // absolute; empty: no pictures
};

// Reads the options; on a mistake writes it to err and gives false.
bool ParseOptions(const std::vector<std::string>& args, Options& o, std::ostream& err)
{
    const std::map<std::string, EArray> arrays = {{"pole-pole", EArray::polePole},
                                                  {"dipole-dipole", EArray::dipoleDipole},
                                                  {"pole-dipole-r", EArray::poleDipoleRight},
                                                  {"pole-dipole-l", EArray::poleDipoleLeft},
                                                  {"wenner", EArray::wenner},
                                                  {"wenner-schlumberger", EArray::wennerSchlumberger},
                                                  {"gradient", EArray::gradient}};
    const std::map<std::string, EExportFormat> exportFormats = {{"--export-pygimli", EExportFormat::pygimli},
                                                                {"--export-res2dinv", EExportFormat::res2dinv},
                                                                {"--export-resipy", EExportFormat::res2dinvResipy},
                                                                {"--export-r2", EExportFormat::r2}};
    const std::map<std::string, EForwardType> types = {
        {"dc", EForwardType::dc}, {"ip", EForwardType::dcIp}, {"ipl", EForwardType::dcIpl}};
    auto fail = [&err](const std::string& message) {
        err << message << "\n" << Usage();
        return false;
    };
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--batch")
            continue;
        if (arg == "--forward") {
            o.forward = true;
            continue;
        }
        if (arg == "--add-modelling-error") {
            o.exportSettings.addModellingError = true;
            continue;
        }
        if (arg == "--sensitivity" || arg == "--jacobian") {
            (arg == "--sensitivity" ? o.sensitivities : o.jacobian) = true;
            continue;
        }
        if (arg.rfind("--", 0) != 0) {
            if (!o.model.empty())
                return fail("Only one model file can be given.");
            o.model = arg;
            continue;
        }
        if (i + 1 >= args.size())
            return fail("The option " + arg + " needs a value.");
        const std::string& value = args[++i];
        auto integer = [&](std::optional<int>& target) {
            int v = 0;
            if (!ParseIntC(value, v))
                return fail(arg + " " + value + ": Enter an integer.");
            target = v;
            return true;
        };
        auto number = [&](std::optional<double>& target) {
            double v = 0;
            if (!ParseDoubleC(value, v))
                return fail(arg + " " + value + ": Enter a number.");
            target = v;
            return true;
        };
        auto choose = [&]<class Choice>(const std::map<std::string, Choice>& names, std::optional<Choice>& target) {
            auto it = names.find(value);
            if (it == names.end())
                return fail(arg + " " + value + ": not one of the choices.");
            target = it->second;
            return true;
        };
        auto real = [&](double& target, const std::string& text) {
            if (!ParseDoubleC(text, target))
                return fail(arg + " " + value + ": Enter a number.");
            return true;
        };
        // PERCENT[,FLOOR_MV[,CURRENT_A]]
        auto noise = [&] {
            CNoiseModel& n = o.exportSettings.noise;
            double* const parts[] = {&n.relativePercent, &n.floorMillivolts, &n.currentAmps};
            size_t start = 0;
            for (double* part : parts) {
                const size_t comma = value.find(',', start);
                if (!real(*part, value.substr(start, comma - start)))
                    return false;
                if (comma == std::string::npos)
                    return true;
                start = comma + 1;
            }
            return fail(arg + " " + value + ": Give PERCENT[,FLOOR_MV[,CURRENT_A]].");
        };
        bool ok = true;
        if (arg == "--array")
            ok = choose(arrays, o.array);
        else if (arg == "--n")
            ok = integer(o.n);
        else if (arg == "--a")
            ok = number(o.a);
        else if (arg == "--cells")
            ok = integer(o.cells);
        else if (arg == "--aspect")
            ok = number(o.aspect);
        else if (arg == "--dx")
            ok = number(o.dx);
        else if (arg == "--dz")
            ok = number(o.dz);
        else if (arg == "--fwd")
            ok = choose(types, o.fwd);
        else if (arg == "--optimize-survey") {
            int count = 0;
            if (!ParseIntC(value, count) || count < 1 || count > kMaxData)
                return fail(arg + " " + value + ": Enter a whole number from 1 to " + std::to_string(kMaxData) + ".");
            o.design = count;
        } else if (const auto format = exportFormats.find(arg); format != exportFormats.end())
            o.exports.emplace_back(format->second, AbsolutePath(value));
        else if (arg == "--noise")
            ok = noise();
        else if (arg == "--ip-noise")
            ok = real(o.exportSettings.noise.ipMillivoltsPerVolt, value);
        else if (arg == "--phase-factor")
            ok = real(o.exportSettings.phaseFactor, value);
        else if (arg == "--accuracy") {
            // As the forward program reads it: a value it would refuse stops this before any work.
            double percent = 0;
            if (!ParseAccuracyPercent(value, percent))
                return fail(arg + " " + value + ": Enter " + kAccuracyValues + ".");
            o.accuracyPercent = percent;
        } else if (arg == "--seed") {
            unsigned long long seed = 0;
            const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), seed);
            if (ec != std::errc() || end != value.data() + value.size())
                return fail(arg + " " + value + ": Enter a whole number from 0.");
            o.exportSettings.noise.seed = seed;
        } else if (arg == "--protocol") {
            o.array = EArray::protocol;
            o.protocolPath = AbsolutePath(value); // the model's folder becomes the current one
        } else if (arg == "--png")
            o.pngPrefix = AbsolutePath(value); // the model's folder becomes the current one
        else if (arg == "--mesh") {
            if (value == "m1" || value == "m2") {
                o.meshType = value == "m1" ? EMeshOption::cellsPerSpacing : EMeshOption::cellSize;
            } else {
                o.meshType = EMeshOption::existing;
                o.meshPath = AbsolutePath(value); // the model's folder becomes the current one
            }
        } else
            return fail("Unknown option " + arg + ".");
        if (!ok)
            return false;
    }
    if (o.model.empty())
        return fail("No model file given.");
    if (!o.exports.empty() && !o.forward)
        return fail("An export needs the data of --forward.");
    if (o.accuracyPercent && !o.forward)
        return fail("--accuracy is for the run of --forward.");
    if ((o.sensitivities || o.jacobian) && !o.forward)
        return fail(std::string(o.sensitivities ? "--sensitivity" : "--jacobian") + " is for the run of --forward.");
    if (o.design && o.forward)
        return fail("--optimize-survey is a run of its own, without --forward.");
    if (o.exportSettings.addModellingError && o.exports.empty())
        return fail("--add-modelling-error is for an export.");
    if (o.exportSettings.addModellingError && o.accuracyPercent == 0.0)
        return fail("--add-modelling-error needs the estimate that --accuracy off leaves out.");
    return true;
}

// Outcomes go to standard output, every other message to standard error; the only question,
// whether to go on over earlier results, is answered Yes.
class CBatchMessages {
public:
    CBatchMessages(std::ostream& out, std::ostream& err)
        : m_previous(SetMessageBoxHandler([&out, &err](const std::string& text, unsigned style) {
              ((style & MB_ICONMASK) == MB_ICONINFORMATION ? out : err) << text << "\n";
              if ((style & MB_TYPEMASK) == MB_YESNO || (style & MB_TYPEMASK) == MB_YESNOCANCEL) {
                  err << "Yes\n";
                  return int(IDYES);
              }
              return int(IDOK);
          }))
    {
    }
    ~CBatchMessages() { SetMessageBoxHandler(m_previous); }
    CBatchMessages(const CBatchMessages&) = delete;
    CBatchMessages& operator=(const CBatchMessages&) = delete;

private:
    MessageBoxHandler m_previous;
};

volatile std::sig_atomic_t g_stopSignal = 0;

extern "C" void NoteStopSignal(int signal)
{
    g_stopSignal = signal;
}

extern "C" void EndOnStopSignal(int signal)
{
    RemoveOpenTemporaryFiles();
    ::_exit(128 + signal);
}

// While it lives, SIGINT and SIGTERM go to the handler; the earlier handlers come back after.
class CStopSignalHandler {
public:
    CStopSignalHandler(void (*handler)(int), bool blockOthers)
    {
        struct sigaction action = {};
        action.sa_handler = handler;
        if (blockOthers)
            sigfillset(&action.sa_mask);
        else
            sigemptyset(&action.sa_mask);
        for (size_t i = 0; i < 2; ++i)
            sigaction(kSignals[i], &action, &m_previous[i]);
    }
    ~CStopSignalHandler()
    {
        for (size_t i = 0; i < 2; ++i)
            sigaction(kSignals[i], &m_previous[i], nullptr);
    }
    CStopSignalHandler(const CStopSignalHandler&) = delete;
    CStopSignalHandler& operator=(const CStopSignalHandler&) = delete;

private:
    static constexpr int kSignals[2] = {SIGINT, SIGTERM};
    struct sigaction m_previous[2];
};

// While it lives, SIGINT and SIGTERM are noted instead of ending this program at once: the
// forward program runs in a process group of its own, which a Ctrl-C on the terminal misses,
// so the run passes them on to it and waits for it.
class CStopSignals {
public:
    CStopSignals() : m_handler((g_stopSignal = 0, NoteStopSignal), false) {}

    // The signal noted, or 0.
    static int Noted() { return g_stopSignal; }

private:
    CStopSignalHandler m_handler;
};

// While it lives, SIGINT and SIGTERM end this program at once, as they would, but without the
// hidden temporary files of the writers open at that moment (a model file of 22 MB has one as
// large). CStopSignals takes over during a forward run.
class CEndOnStopSignals {
public:
    CEndOnStopSignals() : m_handler(EndOnStopSignal, true) {}

private:
    CStopSignalHandler m_handler;
};

// Draws the viewers' pictures of the files just written, in a graphical application made for
// them when none exists: the batch mode otherwise runs without any.
class CBatchPictures {
public:
    CBatchPictures(std::string prefix, std::ostream& out, std::ostream& err)
        : m_prefix(std::move(prefix)), m_out(out), m_err(err)
    {
    }

    bool Model(const std::string& mesh, const std::string& model, EModelKind kind)
    {
        CModelViewerArgs args;
        args.meshPath = mesh;
        args.modelPath = model;
        args.ip = kind == EModelKind::ip;
        args.picture.png = m_prefix + (args.ip ? "-model-ip.png" : "-model.png");
        return Written(args.picture.png, [&args] { return WriteModelPng(args); });
    }

    // The cumulative sensitivity with the depth of investigation over it.
    bool Sensitivity(const std::string& mesh, const std::string& sensitivity, const std::string& doi)
    {
        CModelViewerArgs args;
        args.meshPath = mesh;
        args.modelPath = sensitivity;
        args.sensitivity = true;
        args.doiPath = doi;
        args.picture.png = m_prefix + "-sensitivity.png";
        return Written(args.picture.png, [&args] { return WriteModelPng(args); });
    }

    bool Data(const std::string& data, EModelKind kind, const std::string& topography)
    {
        CDataViewerArgs args;
        args.dataPath = data;
        args.ip = kind == EModelKind::ip;
        args.topoPath = topography;
        args.picture.png = m_prefix + (args.ip ? "-data-ip.png" : "-data.png");
        if (args.ip)
            return Written(args.picture.png, [&args] { return WriteDataPng(args); });
        // The estimated error of V/I beside the DC data, as the data viewer draws it.
        std::string note;
        bool errorDrawn = false;
        if (!Written(args.picture.png, [&] { return WriteDataPng(args, &note, &errorDrawn); }))
            return false;
        if (!note.empty())
            m_err << note << "\n";
        if (errorDrawn)
            m_out << "Created picture: " << ErrorPictureName(args.picture.png) << "\n";
        return true;
    }

private:
    template <class Draw>
    bool Written(const std::string& path, Draw draw)
    {
        if (!m_gui)
            m_gui = std::make_unique<COffscreenGui>();
        const std::string error = m_gui->Ready() ? draw() : "Pictures cannot be drawn here.";
        if (!error.empty()) {
            m_err << error << "\n";
            return false;
        }
        m_out << "Created picture: " << path << "\n";
        return true;
    }

    std::string m_prefix;
    std::ostream& m_out;
    std::ostream& m_err;
    std::unique_ptr<COffscreenGui> m_gui;
};

} // namespace

bool IsBatchCommandLine(const std::vector<std::string>& args)
{
    return std::any_of(args.begin(), args.end(), [](const std::string& a) { return a == "--batch" || a == "--help"; });
}

namespace {

int RunBatchSteps(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    if (std::find(args.begin(), args.end(), "--help") != args.end()) {
        out << Usage();
        return 0;
    }
    Options o;
    if (!ParseOptions(args, o, err))
        return 2;

    CBatchMessages messages(out, err);
    CEndOnStopSignals endOnStop;
    // The noise and the formats are judged before any work, as the export dialog judges them.
    for (const auto& [format, path] : o.exports) {
        CExportSettings settings = o.exportSettings;
        settings.format = format;
        settings.path = path;
        if (!ShowVerdict(CheckExportSettings(settings)))
            return 1;
    }
    CModelData m;
    const std::string path = AbsolutePath(o.model);
    if (!Attempt([&] { ReadModelFile(path, m); }))
        return 1;
    // As after Open: the model's folder holds every file of the discretization.
    if (!SetCurrentDirectory(RemoveLastComponent(path))) {
        err << "Cannot work in the folder of " << path << ".\n";
        return 1;
    }
    bool erase = false;
    if (!AskToErasePreviousResults(erase))
        return 1;

    CDiscretizeSettings& d = m.m_discretize;
    d = ProposedSettings(m);
    d.array = o.array.value_or(d.array);
    d.n = o.n.value_or(d.n);
    d.aSpacing = o.a.value_or(d.aSpacing);
    d.mesh = o.meshType.value_or(d.mesh);
    if (o.meshType == EMeshOption::existing)
        d.existingMesh = o.meshPath;
    if (o.array == EArray::protocol)
        d.protocolFile = o.protocolPath;
    d.cellsPerElectrode = o.cells.value_or(d.cellsPerElectrode);
    d.aspectRatio = o.aspect.value_or(d.aspectRatio);
    d.dx = o.dx.value_or(d.dx);
    d.dz = o.dz.value_or(d.dz);
    d.forward = o.fwd.value_or(d.forward);
    d.sensitivities = o.sensitivities;
    d.jacobian = o.jacobian;
    // The locations file keeps that a protocol was used, but not which.
    if (d.array == EArray::protocol && !o.array) {
        err << "The last discretization in this folder used a protocol, which the locations file does not name.\n"
               "Give it with --protocol FILE, or another survey with --array.\n";
        return 1;
    }
    if (!ShowVerdict(CheckDiscretizeSettings(d, m.m_coreX2 - m.m_coreX1)) || !ShowVerdict(CheckChargeabilities(m)))
        return 1;
    // No output may be a file the run reads or writes, before any of them is touched.
    std::vector<std::string> pictureFiles;
    if (!o.pngPrefix.empty())
        for (const char* suffix :
             {"-model.png", "-model-ip.png", "-data.png", "-data-error.png", "-data-ip.png", "-sensitivity.png"})
            pictureFiles.push_back(o.pngPrefix + suffix);
    const bool outputsFree = Attempt([&] {
        for (const auto& [format, exportPath] : o.exports)
            CheckExportPath(m, exportPath, path);
        for (const std::string& picture : pictureFiles)
            CheckOutputPath(m, picture, path);
    });
    if (!outputsFree)
        return 1;

    // Held from the first file the discretization erases or writes to the last export.
    CFolderLock lock;
    CDiscretized done;
    if (!Attempt([&] { done = RunDiscretization(m, erase, &lock); }))
        return 1;
    ShowWarnings(done.warnings);
    out << done.summary;
    CBatchPictures pictures(o.pngPrefix, out, err);
    if (!o.pngPrefix.empty()) {
        if (!pictures.Model(m.m_meshFileName, kConductivityFileName, EModelKind::dc) ||
            (d.forward != EForwardType::dc &&
             !pictures.Model(m.m_meshFileName, kChargeabilityFileName, EModelKind::ip)))
            return 1;
    }
    if (o.design) {
        out << "\n";
        CStopSignals stopSignals;
        std::string report;
        const bool done = Attempt([&] {
            report = RunSurveyDesign(
                m, lock, *o.design, [&err](const std::string& line) { err << line << "\n"; }, &CStopSignals::Noted);
        });
        if (CStopSignals::Noted() != 0)
            return 128 + CStopSignals::Noted();
        if (!done)
            return 1;
        out << report << "Created protocol: " << AbsolutePath(kDesignProtocolFileName) << "\n";
        return 0;
    }
    if (o.forward) {
        out << "\n";
        CStopSignals stopSignals;
        const bool done = Attempt([&] {
            RunForwardModel(
                m, lock, [&err](const std::string& line) { err << line << "\n"; }, &CStopSignals::Noted,
                o.accuracyPercent);
        });
        // Ended by a signal, the exit status says so as the shell's would.
        if (CStopSignals::Noted() != 0)
            return 128 + CStopSignals::Noted();
        if (!done)
            return 1;
        // The program's warnings went by on standard error with its other lines.
        AnnounceForwardFinished(m, o.accuracyPercent.value_or(kDefaultAccuracyPercent), false);
        const std::string topography = m.m_bTopography ? kTopographyFileName : "";
        if (!o.pngPrefix.empty()) {
            if (!pictures.Data(kDcDataFileName, EModelKind::dc, topography) ||
                (d.forward != EForwardType::dc &&
                 !pictures.Data(DataFileName(d.forward, EModelKind::ip), EModelKind::ip, topography)) ||
                (d.sensitivities && !pictures.Sensitivity(m.m_meshFileName, kSensitivityFileName, kDoiFileName)))
                return 1;
        }
        for (const auto& [format, path] : o.exports) {
            CExportSettings settings = o.exportSettings;
            settings.format = format;
            settings.path = path;
            std::string summary;
            if (!Attempt([&] { summary = ExportData(m, settings); }))
                return 1;
            out << summary;
        }
    }
    return 0;
}

} // namespace

int RunBatch(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    try {
        return RunBatchSteps(args, out, err);
    } catch (const std::bad_alloc&) {
        err << kNoMemoryMessage << "\n";
        return 1;
    }
}
