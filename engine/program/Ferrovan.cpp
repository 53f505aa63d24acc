// Ferrovan: 2.5D DC resistivity and induced-polarisation forward modelling.
//
// Computes the potential differences, apparent resistivities and apparent chargeabilities that
// a field crew would measure over a 2D earth model, for the electrode configurations of a
// locations file, from the files that the Discretize command writes:
//
//   ferrovan [--max-memory MB] [--lock-fd FD] ferrovan.inp
//
// in the folder of those files. Steps:
//   0. Lock the folder against a second run, start the log.
//   1. Read the input file: the forward type, whose data files of an earlier run go at once,
//      and the names of the other files.
//   2. Read the electrode configurations (locations file).
//   3. Read the mesh, and the air cells from the topography file with the discretization's own
//      rule. Every file is read by the readers the model maker and the viewers share (formats/).
//   4. Read the conductivity model and, for IP and IPL, the chargeability model.
//   5. Compute the data (ForwardModel.h): 2D problems at a set of wavenumbers along strike, one
//      factorisation each, superposed into 3D potentials of point electrodes.
//   6. Write the data files, all or none. The log is written as the run goes.
#include "engine/program/Ferrovan.h"

#include "engine/general/EngineError.h"
#include "engine/general/MachineMemory.h"
#include "engine/general/RunLog.h"
#include "engine/modelling/ForwardModel.h"
#include "engine/modelling/SurveyDesign.h"
#include "engine/program/DataFiles.h"
#include "engine/program/SensitivityFiles.h"
#include "formats/DataFile.h"
#include "formats/FileNames.h"
#include "formats/FormatError.h"
#include "formats/LocationsFile.h"
#include "formats/MeshFile.h"
#include "formats/TopographyFile.h"
#include "formats/ValuesFile.h"
#include "mesh/Topography.h"
#include "platform/FileException.h"
#include "platform/FilePath.h"
#include "platform/FolderLock.h"
#include "platform/Refusal.h"
#include "platform/StdioFile.h"
#include "platform/TextFormat.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <optional>

namespace {

// The file names are FileNames.h's, put in by Usage.
const char* const kUsage =
    "Usage: ferrovan [--max-memory MB] [--accuracy PCT|off] INPUT\n"
    "Computes DC resistivity and IP data over a 2D model (2.5D: point electrodes on a model that does\n"
    "not change along strike). INPUT is the forward-modelling input file written by Velquor Model Maker:\n"
    "  FWD DC | FWD IP | FWD IPL\n"
    "  MESH FILE <mesh file>\n"
    "  LOC LOC_X <electrode locations file>\n"
    "  COND FILE <conductivity file, S/m>\n"
    "  CHG FILE <chargeability file>      (IP and IPL)\n"
    "  TOPO FILE <topography file>        (with topography)\n"
    "  SENS FILE <name>                   (optional: cumulative sensitivity per cell, written)\n"
    "  JACOBIAN FILE <name>               (optional: every datum's sensitivity to every cell)\n"
    "  DOI FILE <name>                    (optional: depth of investigation along the line)\n"
    "  OPTIMIZE SURVEY <count> <spacing> <x1> <x2> <z1> <z2>\n"
    "                                     (optional: instead of data, choose count configurations that\n"
    "                                     best resolve the section x1..x2, z1..z2 on electrodes x1 + k spacing)\n"
    "  PROTOCOL FILE <name>               (with a design: the chosen configurations, written)\n"
    "  DESIGN FILE <name>                 (with a design: its report, written)\n"
    "File names are relative to the current folder. Writes %s and, for IP, %s or, for IPL,\n"
    "%s, the estimated error of every datum in %s, and the log %s, in the\n"
    "current folder.\n"
    "  --max-memory MB  use at most MB megabytes (2^20 bytes), less when less is available\n"
    "  --accuracy PCT   refine the grid until every datum's estimated error is within PCT percent\n"
    "                   (default 0.5); off: one grid, no estimate and no %s\n"
    "  --lock-fd FD     the folder's lock, held on descriptor FD by the program that started this one; when\n"
    "                   FD is not open on %s of the current folder holding its lock, the run\n"
    "                   locks the folder itself\n"
    "  --help           this text\n"
    "  --version        the program's version\n";

std::string Usage()
{
    return FormatC(kUsage, kDcDataFileName, kIpDataFileName, kIplDataFileName, kErrorFileName, kLogFileName,
                   kErrorFileName, kLockFileName);
}

// Reads one of the run's files; what keeps it from being read becomes the run's reason.
template <class Read>
auto ReadOrRefuse(const std::string& description, const std::string& path, Read read)
{
    try {
        return read();
    } catch (const CFileException& e) {
        if (e.m_cause == CFileException::fileNotFound)
            throw CEngineError("The " + description + " " + path + " does not exist.");
        throw CEngineError("The " + description + " " + path + " cannot be read: " + std::strerror(e.m_osError) + ".");
    } catch (const CFormatError& e) {
        if (e.Line() > 0)
            throw CEngineError(
                FormatC("Line %i of the %s %s: %s.", e.Line(), description.c_str(), path.c_str(), e.Reason().c_str()));
        throw CEngineError("The " + description + " " + path + " cannot be used: " + e.Reason() + ".");
    }
}

double SmallestStep(const std::vector<double>& nodes)
{
    double smallest = HUGE_VAL;
    for (size_t i = 0; i + 1 < nodes.size(); ++i)
        smallest = std::min(smallest, nodes[i + 1] - nodes[i]);
    return smallest;
}

void ReadMesh(CForwardInput& in, CRunLog& log)
{
    const std::string& path = in.job.meshFile;
    CMeshFile file = ReadOrRefuse("mesh file", path, [&path] { return CMeshFile::Read(path); });
    CMesh& mesh = in.mesh;
    mesh.nx = file.x.Cells();
    mesh.nz = file.z.Cells();
    mesh.xNodes = std::move(file.x.nodes);
    mesh.zNodes = std::move(file.z.nodes);
    // The core's edge only sets the mesh's outer columns, which the forward model does not use.
    mesh.outer = 0;
    log.Info(FormatC("Mesh: %s, %i x %i cells, x %g to %g, depth %g to %g, smallest cell %g x %g", path.c_str(),
                     mesh.nx, mesh.nz, mesh.xNodes.front(), mesh.xNodes.back(), mesh.zNodes.front(), mesh.zNodes.back(),
                     SmallestStep(mesh.xNodes), SmallestStep(mesh.zNodes)));
}

void ReadAirCells(CForwardInput& in, CRunLog& log)
{
    in.mesh.airPerColumn.assign(in.mesh.nx, 0);
    in.mesh.airCells = 0;
    const std::string& path = in.job.topographyFile;
    if (!path.empty()) {
        CTopographyFile file = ReadOrRefuse("topography file", path, [&path] { return CTopographyFile::Read(path); });
        in.profile = std::move(file);
        const std::vector<double>& e = in.profile.elevation;
        log.Info(FormatC("Topography: %s, %zu points, elevations %g to %g", path.c_str(), in.profile.x.size(),
                         *std::min_element(e.begin(), e.end()), *std::max_element(e.begin(), e.end())));
        ComputeAirCells(in.mesh, in.profile);
    }
    in.airPerColumn = in.mesh.airPerColumn;
    log.Info(path.empty() ? std::string("No topography: flat ground at the top of the mesh")
                          : FormatC("Air cells: %i", in.mesh.airCells));
}

std::vector<double> ReadCellValues(const std::string& path, const char* what, const CForwardInput& in)
{
    const std::string description = std::string(what) + " file";
    CValuesFile file = ReadOrRefuse(description, path, [&path] { return CValuesFile::Read(path); });
    if (file.nx != in.mesh.nx || file.nz != in.mesh.nz)
        throw CEngineError(FormatC("The %s %s is made for %i x %i cells, but the mesh file %s has %i x %i: the "
                                   "model does not belong to this mesh.",
                                   description.c_str(), path.c_str(), file.nx, file.nz, in.job.meshFile.c_str(),
                                   in.mesh.nx, in.mesh.nz));
    return std::move(file.values);
}

} // namespace

CForwardJob ReadForwardJob(const std::string& path, CRunLog& log, const std::function<void(EForwardType)>& typeRead)
{
    CForwardJob job = ReadOrRefuse("input file", path, [&] { return CForwardJob::Read(path, typeRead); });
    for (const auto& [line, text] : job.unknownLines)
        log.Warning("Line " + std::to_string(line) + " of the input file " + path +
                    " is not understood and was ignored: " + text);
    return job;
}

CForwardInput ReadForwardFiles(const CForwardJob& job, CRunLog& log)
{
    CForwardInput in;
    in.job = job;
    log.Info(std::string("Forward type: ") + in.job.TypeName());
    const std::string& locations = in.job.locationsFile;
    in.survey = CSurvey::Build(
        ReadOrRefuse("electrode locations file", locations, [&locations] { return CLocationsFile::Read(locations); }),
        locations, log);
    ReadMesh(in, log);
    ReadAirCells(in, log);
    in.conductivity = ReadCellValues(in.job.conductivityFile, "conductivity", in);
    log.Info("Conductivity: " + in.job.conductivityFile);
    if (in.job.type != EForwardType::dc) {
        in.chargeability = ReadCellValues(in.job.chargeabilityFile, "chargeability", in);
        log.Info("Chargeability: " + in.job.chargeabilityFile);
    }
    return in;
}

namespace {

// Files of an earlier run go before anything can fail, so that none outlives a failed or killed
// run: the data files of the type as soon as it is known, the sensitivity files once their names
// are known to be no other file's.
void RemoveStale(const std::vector<std::string>& names, const char* what, CRunLog& log)
{
    for (const std::string& name : names) {
        if (!FileExists(name))
            continue;
        try {
            RemoveFile(name);
            log.Info("Removed " + name + " of an earlier run.");
        } catch (const CFileException& e) {
            throw CEngineError(std::string("The ") + what + " " + name +
                               " of an earlier run cannot be removed: " + e.GetErrorMessage());
        }
    }
}

void RemoveStaleData(EForwardType type, CRunLog& log)
{
    std::vector<std::string> names = DataFileNames(type);
    names.push_back(kErrorFileName); // an estimate of other data
    RemoveStale(names, "data file", log);
}

struct CCommandLine {
    std::string input;
    double maxMemoryBytes = 0;                       // 0: not given
    double accuracy = kDefaultAccuracyPercent / 100; // 0: off
    int lockFd = -1;                                 // the inherited lock, -1: none
};

// A positive finite number, the whole text.
bool ParsePositive(const std::string& value, double& number)
{
    const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), number);
    return !value.empty() && ec == std::errc() && end == value.data() + value.size() && std::isfinite(number) &&
           number > 0;
}

// False on a usage error, whose reason, if any beyond the usage text, goes to reason.
bool ParseCommandLine(const std::vector<std::string>& args, CCommandLine& line, std::string& reason)
{
    for (size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "--max-memory") {
            const std::string value = i + 1 < args.size() ? args[++i] : std::string();
            double megabytes = 0;
            if (!ParsePositive(value, megabytes)) {
                reason = "The value of --max-memory must be a positive number of megabytes, not \"" + value + "\".";
                return false;
            }
            line.maxMemoryBytes = megabytes * 1024 * 1024;
        } else if (args[i] == "--accuracy") {
            const std::string value = i + 1 < args.size() ? args[++i] : std::string();
            double percent = 0;
            if (!ParseAccuracyPercent(value, percent)) {
                reason = std::string("The value of --accuracy must be ") + kAccuracyValues + ", not \"" + value + "\".";
                return false;
            }
            line.accuracy = percent / 100;
        } else if (args[i] == CFolderLock::kInheritedOption) {
            const std::string value = i + 1 < args.size() ? args[++i] : std::string();
            const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), line.lockFd);
            if (value.empty() || ec != std::errc() || end != value.data() + value.size() || line.lockFd < 0) {
                reason = std::string("The value of ") + CFolderLock::kInheritedOption +
                         " must be a file descriptor, not \"" + value + "\".";
                return false;
            }
        } else if (args[i].empty() || args[i][0] == '-' || !line.input.empty()) {
            return false;
        } else {
            line.input = args[i];
        }
    }
    return !line.input.empty();
}

// The bytes the run may use: what the machine leaves it, lowered by --max-memory; 0 when neither
// is known.
double MemoryBudget(double maxMemoryBytes, CRunLog& log)
{
    const double available = AvailableMemoryBytes();
    double budget = available;
    if (maxMemoryBytes > 0)
        budget = std::min(budget, maxMemoryBytes);
    const double mb = 1024 * 1024;
    if (std::isinf(budget)) {
        log.Info("Memory: the memory available is not known");
        return 0;
    }
    log.Info(std::isinf(available)
                 ? FormatC("Memory budget: %.6g MB (the memory available is not known)", budget / mb)
                 : FormatC("Memory budget: %.6g MB (%.0f MB available)", budget / mb, available / mb));
    return budget;
}

} // namespace

int RunFerrovan(const std::vector<std::string>& args)
{
    if (args.size() == 2 && (args[1] == "--help" || args[1] == "-h")) {
        std::fputs(Usage().c_str(), stdout);
        return 0;
    }
    if (args.size() == 2 && args[1] == "--version") {
        std::printf("ferrovan %s\n", FERROVAN_VERSION);
        return 0;
    }
    CCommandLine command;
    std::string usageError;
    if (!ParseCommandLine(args, command, usageError)) {
        if (!usageError.empty())
            std::fprintf(stderr, "ferrovan: %s\n", usageError.c_str());
        std::fputs(Usage().c_str(), stderr);
        return 2;
    }

    // Before the log or any data file is touched: they may be a running run's. Under the model
    // maker, the lock it holds for the whole road.
    CFolderLock lock;
    try {
        if (!lock.Adopt(command.lockFd))
            lock.Take();
    } catch (const CRefusal& e) {
        std::fprintf(stderr, "ferrovan: %s\n", e.what());
        return 1;
    }

    CRunLog log;
    log.Open(kLogFileName);
    log.Info(std::string("Ferrovan ") + FERROVAN_VERSION + ", 2.5D DC resistivity and IP forward modelling");
    log.Info("Input file: " + command.input + " in " + GetCurrentDirectory());
    try {
        CEngineOptions options;
        options.memoryBudget = MemoryBudget(command.maxMemoryBytes, log);
        if (const double room = AddressSpaceRoomBytes(); std::isfinite(room))
            options.addressSpace = room;
        options.progress = true;
        options.accuracy = command.accuracy;
        // A run's data files go as soon as its type is known, also when the rest of the input is
        // refused; a survey design leaves them, as it computes no data.
        std::optional<EForwardType> typeRead;
        CForwardJob job;
        try {
            job = ReadForwardJob(command.input, log, [&typeRead](EForwardType type) { typeRead = type; });
        } catch (const CEngineError&) {
            if (typeRead)
                RemoveStaleData(*typeRead, log);
            throw;
        }
        if (job.design.count == 0)
            RemoveStaleData(job.type, log);
        std::vector<std::string> runFiles = DataFileNames(job.type);
        runFiles.insert(runFiles.end(), {kErrorFileName, kLogFileName, kLockFileName});
        CheckSensitivityFileNames(job, command.input, runFiles);
        const std::vector<std::string> sensitivityFiles = SensitivityFileNames(job);
        RemoveStale(sensitivityFiles, "sensitivity file", log);
        options.sensitivities = !sensitivityFiles.empty();
        const CForwardInput in = ReadForwardFiles(job, log);
        log.Stage("reading");
        if (job.design.count > 0) {
            const std::vector<std::string> designFiles{job.protocolFile, job.designFile};
            RemoveStale(designFiles, "survey design file", log);
            const std::string report = DesignSurvey(in, job, log, options);
            size_t start = 0;
            for (size_t end; (end = report.find('\n', start)) != std::string::npos; start = end + 1)
                log.Info(report.substr(start, end - start));
            log.Info(FormatC("Done in %.3f s (memory at most %s): %i configurations in %s, the report in %s",
                             log.Seconds(), Bytes(PeakMemoryBytes()).c_str(), job.design.count,
                             job.protocolFile.c_str(), job.designFile.c_str()));
            std::printf("ferrovan: %i configurations written to %s in %.2f s\n", job.design.count,
                        job.protocolFile.c_str(), log.Seconds());
            return 0;
        }

        const CForwardResult result = ComputeData(in, log, options);
        CheckDataFinite(in.job.type, in.survey, result);
        // Before the data, so that a run whose files cannot all be written leaves no data file.
        if (options.sensitivities)
            WriteSensitivityFiles(in, result.sensitivities);
        WriteDataFiles(in.job.type, in.survey, result);
        log.Stage("writing the data files");
        std::vector<std::string> names = WrittenFileNames(in.job.type, result);
        names.insert(names.end(), sensitivityFiles.begin(), sensitivityFiles.end());
        std::string written;
        for (const std::string& name : names)
            written += (written.empty() ? "" : ", ") + name;
        log.Info(FormatC("Done in %.3f s (linear algebra %.3f s, memory at most %s): %zu data in %s", log.Seconds(),
                         result.algebraSeconds, Bytes(PeakMemoryBytes()).c_str(), in.survey.data.size(),
                         written.c_str()));
        if (log.Warnings() > 0)
            log.Info(FormatC("%i warning%s above.", log.Warnings(), log.Warnings() > 1 ? "s" : ""));
        std::printf("ferrovan: %zu data written to %s in %.2f s\n", in.survey.data.size(), written.c_str(),
                    log.Seconds());
        return 0;
    } catch (const CEngineError& e) {
        log.Error(e.what());
    } catch (const std::bad_alloc&) {
        log.Error(kNotEnoughMemory);
    } catch (const std::exception& e) {
        log.Error(std::string("Unexpected failure: ") + e.what());
    }
    log.Info("No data were computed.");
    return 1;
}
