#include "forward/Export.h"

#include "formats/DataFile.h"
#include "formats/FileNames.h"
#include "formats/LocationsFile.h"
#include "formats/TopographyFile.h"
#include "model/ModelData.h"
#include "platform/FilePath.h"
#include "platform/Refusal.h"
#include "platform/StdioFile.h"
#include "platform/TextFormat.h"

#include <algorithm>
#include <cmath>

namespace {

void RequireFile(const std::string& name, const char* what)
{
    if (!FileExists(name))
        throw CRefusal(
            FormatC("The forward run's %s %s is missing. Run the forward modelling first.", what, name.c_str()));
}

// The run's estimate of its own error, one row for each datum of dc.
std::vector<CErrorRecord> ReadModellingError(const CModelData& model, const CDataFile& dc)
{
    if (!FileExists(kErrorFileName))
        throw CRefusal(FormatC("The forward run has no error estimate: %s is missing. Run the forward modelling with "
                               "the estimate on.",
                               kErrorFileName));
    const CErrorFile estimate = CErrorFile::Read(
        kErrorFileName, model.m_discretize.forward == EForwardType::dc ? EModelKind::dc : EModelKind::ip);
    const char* const data = kDcDataFileName;
    if (const int i = FirstMismatch(estimate, dc); i >= 0) {
        const CErrorRecord* e = size_t(i) < estimate.data.size() ? &estimate.data[i] : nullptr;
        const CDataRecord* d = size_t(i) < dc.data.size() ? &dc.data[i] : nullptr;
        const std::string where =
            !e   ? FormatC("The error estimate %s has no line for the datum on line %i of %s", kErrorFileName, d->line,
                           data)
            : !d ? FormatC("Line %i of the error estimate %s has no datum in %s", e->line, kErrorFileName, data)
                 : FormatC("Line %i of the error estimate %s is not for the datum on line %i of %s", e->line,
                           kErrorFileName, d->line, data);
        throw CRefusal(where + ". Run the forward modelling again.");
    }
    return estimate.data;
}

} // namespace

CExportSurvey BuildExportSurvey(const CModelData& model, const CNoiseModel& noise, bool addModellingError)
{
    CExportSurvey s;
    const EForwardType type = model.m_discretize.forward;
    s.ip = type != EForwardType::dc;
    RequireFile(kDcDataFileName, "data file");
    const CDataFile dc = CDataFile::Read(kDcDataFileName, EModelKind::dc);
    CDataFile ip;
    if (s.ip) {
        const std::string name = DataFileName(type, EModelKind::ip);
        RequireFile(name, "data file");
        ip = CDataFile::Read(name, EModelKind::ip);
        auto same = [](const CDataRecord& p, const CDataRecord& q) {
            return p.a == q.a && p.b == q.b && p.m == q.m && p.n == q.n;
        };
        if (!std::equal(dc.data.begin(), dc.data.end(), ip.data.begin(), ip.data.end(), same))
            throw CRefusal(std::string("The data files ") + kDcDataFileName + " and " + name +
                           " are not of the same forward run. Run the forward modelling again.");
    }
    const std::vector<CErrorRecord> modelling =
        addModellingError ? ReadModellingError(model, dc) : std::vector<CErrorRecord>();
    CTopographyFile topography; // flat without points
    if (model.m_bTopography) {
        RequireFile(kTopographyFileName, "topography file");
        topography = CTopographyFile::Read(kTopographyFileName);
    }

    std::vector<double> positions;
    for (const CDataRecord& d : dc.data)
        for (double e : {d.a, d.b, d.m, d.n})
            positions.push_back(e);
    // Numbered as the forward run took them.
    const std::vector<double> x = ElectrodePositions(std::move(positions));
    for (double e : x)
        s.electrodes.push_back({e, topography.ElevationAt(e)});
    s.spacing = model.m_discretize.aSpacing;
    for (size_t i = 1; i < x.size(); ++i)
        s.spacing = std::min(s.spacing, x[i] - x[i - 1]);
    auto number = [&x](double e) { return ElectrodeIndex(x, e) + 1; };

    CGaussian gaussian(noise.seed);
    for (size_t i = 0; i < dc.data.size(); ++i) {
        const CDataRecord& d = dc.data[i];
        CExportDatum e;
        e.a = number(d.a);
        e.b = d.b == d.a ? 0 : number(d.b);
        e.m = number(d.m);
        e.n = d.n == d.m ? 0 : number(d.n);
        e.k = GeometricFactor(d.a, d.b, d.m, d.n, d.b == d.a, d.n == d.m); // the engine's
        if (!std::isfinite(e.k) || e.k == 0)
            throw CRefusal(FormatC("The datum on line %i of %s has no geometric factor: its electrodes measure "
                                   "nothing or share a position.",
                                   d.line, kDcDataFileName));
        e.rSd = noise.ResistanceSd(d.vi);
        e.r = d.vi + e.rSd * gaussian.Next();
        e.rhoa = e.r * e.k;
        if (s.ip) {
            e.etaSd = noise.ipMillivoltsPerVolt;
            e.eta = ip.data[i].value + e.etaSd / 1000 * gaussian.Next();
        }
        // The data already carry their modelling error, so only the error they are given grows. It
        // and the noise are independent, so their variances add; taken relative to the resistance
        // written, so that a relative error column holds exactly sqrt(noise^2 + estimate^2).
        if (!modelling.empty()) {
            e.rSd = std::hypot(e.rSd, modelling[i].percent / 100 * std::fabs(e.r));
            e.etaSd = std::hypot(e.etaSd, 1000 * modelling[i].chargeability);
        }
        s.data.push_back(e);
    }
    return s;
}

std::string ElectrodeFilePath(const std::string& protocolPath)
{
    const size_t name = protocolPath.size() - FileNamePart(protocolPath).size(), dot = protocolPath.rfind('.');
    const size_t stem = dot != std::string::npos && dot > name ? dot : protocolPath.size();
    return protocolPath.substr(0, stem) + "_electrodes.csv";
}

const char* DefaultExportFileName(EExportFormat format)
{
    switch (format) {
    case EExportFormat::pygimli:
        return "predicted.ohm";
    case EExportFormat::res2dinv:
        return "predicted.dat";
    case EExportFormat::res2dinvResipy:
        return "predicted_resipy.dat";
    case EExportFormat::r2:
        break;
    }
    return "protocol.dat";
}

std::vector<std::string> WriteExport(const CExportSurvey& survey, EExportFormat format, const std::string& path,
                                     const CExportOptions& options)
{
    switch (format) {
    case EExportFormat::pygimli:
        WriteTextFile(path, survey.FormatUnified(options));
        break;
    case EExportFormat::res2dinv:
    case EExportFormat::res2dinvResipy:
        WriteTextFile(path, survey.FormatRes2dinv(format == EExportFormat::res2dinvResipy));
        break;
    case EExportFormat::r2:
        WriteTextFile(path, survey.FormatProtocol(options));
        WriteTextFile(ElectrodeFilePath(path), survey.FormatProtocolElectrodes());
        return {path, ElectrodeFilePath(path)};
    }
    return {path};
}

namespace {

// Which program reads an exported file, and how.
std::string ReadBy(EExportFormat format, const std::string& file, const std::string& electrodes)
{
    switch (format) {
    case EExportFormat::pygimli:
        return "for pyGIMLi: pygimli.physics.ert.load(\"" + file + "\"); for BERT as it is";
    case EExportFormat::res2dinv:
        return "for Res2DInv: File > Read data file";
    case EExportFormat::res2dinvResipy:
        return "for ResIPy: Project.createSurvey(\"" + file + "\", ftype=\"ResInv\")";
    case EExportFormat::r2:
        break;
    }
    return "for R2 or cR2 beside their R2.in; for ResIPy: Project.createSurvey(\"" + file +
           "\", ftype=\"Protocol\") then Project.importElec(\"" + electrodes + "\")";
}

} // namespace

CVerdict CheckExportSettings(const CExportSettings& s)
{
    CVerdict v;
    const CNoiseModel& n = s.noise;
    for (const double* noise : {&n.relativePercent, &n.floorMillivolts, &n.ipMillivoltsPerVolt})
        if (!(*noise >= 0))
            return v.Refuse("Noise should not be negative.", noise);
    if (!(n.currentAmps > 0))
        return v.Refuse("Current should be greater than 0.", &n.currentAmps);
    if (!(s.phaseFactor > 0))
        return v.Refuse("Phase factor should be greater than 0.", &s.phaseFactor);
    // Beyond these the noise or the phase overflows what the files can hold, and means nothing.
    if (n.relativePercent > kMaxRelativeNoisePercent)
        return v.Refuse(FormatC("Relative noise should be at most %g %%.", kMaxRelativeNoisePercent),
                        &n.relativePercent);
    if (n.floorMillivolts > kMaxNoiseFloorMillivolts)
        return v.Refuse(FormatC("Noise floor should be at most %g mV.", kMaxNoiseFloorMillivolts), &n.floorMillivolts);
    if (n.ipMillivoltsPerVolt > kMaxIpNoise)
        return v.Refuse(FormatC("IP noise should be at most %g mV/V.", kMaxIpNoise), &n.ipMillivoltsPerVolt);
    if (n.currentAmps < kCurrentAmps[0] || n.currentAmps > kCurrentAmps[1])
        return v.Refuse(FormatC("Current should be between %g and %g A.", kCurrentAmps[0], kCurrentAmps[1]),
                        &n.currentAmps);
    if (s.phaseFactor > kMaxPhaseFactor)
        return v.Refuse(FormatC("Phase factor should be at most %g.", kMaxPhaseFactor), &s.phaseFactor);
    if (s.path.empty())
        return v.Refuse("File name is missing.", &s.path);
    if (s.addModellingError && (s.format == EExportFormat::res2dinv || s.format == EExportFormat::res2dinvResipy))
        return v.Refuse("The Res2DInv general array has no error column for the modelling error.\nChoose pyGIMLi or "
                        "R2, or leave the modelling error out.",
                        &s.format);
    return v;
}

void CheckOutputPath(const CModelData& model, const std::string& path, const std::string& modelPath)
{
    if (const std::string refused = model.ReservedNameMessage(path, true); !refused.empty())
        throw CRefusal(refused);
    // As files, not names: a hard link or another path to one of them would be written over it.
    const CDiscretizeSettings& d = model.m_discretize;
    const std::pair<std::string, const char*> inputs[] = {
        {modelPath, "the model file"},
        {d.mesh == EMeshOption::existing ? d.existingMesh : "", "the mesh file"},
        {d.array == EArray::protocol ? d.protocolFile : "", "the protocol file"}};
    for (const auto& [input, what] : inputs)
        if (!input.empty() && IsSameFile(path, input))
            throw CRefusal("Cannot write " + path + ":\nit is " + what + ".");
    for (const char* written : kWrittenFileNames)
        if (IsSameFile(path, written))
            throw CRefusal(model.ReservedNameMessage(written, true));
}

void CheckExportPath(const CModelData& model, const std::string& path, const std::string& modelPath)
{
    // What the writer would refuse is refused before the run, too.
    for (const std::string& file : {path, ElectrodeFilePath(path)}) {
        CheckOutputPath(model, file, modelPath);
        CheckWritable(file);
    }
}

std::string ExportData(const CModelData& model, const CExportSettings& settings)
{
    CExportSettings checked = settings;
    if (checked.path.empty())
        checked.path = DefaultExportFileName(settings.format);
    const std::string& path = checked.path;
    if (const CVerdict verdict = CheckExportSettings(checked); verdict.refusal)
        throw *verdict.refusal;
    CheckExportPath(model, path);
    const CExportSurvey survey = BuildExportSurvey(model, settings.noise, settings.addModellingError);
    // Every number written must read back: a datum whose noise or phase is no finite number is
    // named rather than written.
    for (size_t i = 0; i < survey.data.size(); ++i) {
        const CExportDatum& d = survey.data[i];
        for (double value : {d.r, d.k, d.rhoa, d.eta, d.rSd, d.etaSd, d.eta * 1000 * settings.phaseFactor})
            if (!std::isfinite(value))
                throw CRefusal(FormatC("Datum %zu would be written with a number that is not finite.\nCheck its "
                                       "data and the noise.",
                                       i + 1));
    }
    const CNoiseModel& n = settings.noise;
    const bool noise = n.relativePercent > 0 || n.floorMillivolts > 0 || n.ipMillivoltsPerVolt > 0;
    CExportOptions options;
    options.errors = noise || settings.addModellingError;
    options.phaseFactor = settings.phaseFactor;
    const std::vector<std::string> written = WriteExport(survey, settings.format, path, options);
    std::string summary;
    for (const std::string& file : written)
        summary += "Created " + file + "\n";
    const std::string electrodes = settings.format == EExportFormat::r2 ? ElectrodeFilePath(path) : "";
    summary += ReadBy(settings.format, FileNamePart(path), FileNamePart(electrodes));
    summary += FormatC("\n%zu data, %zu electrodes", survey.data.size(), survey.electrodes.size());
    if (noise)
        summary += FormatC("; noise %g %% + %g mV at %g A", n.relativePercent, n.floorMillivolts, n.currentAmps) +
                   (survey.ip ? FormatC(", IP %g mV/V", n.ipMillivoltsPerVolt) : std::string()) +
                   FormatC(", seed %llu", static_cast<unsigned long long>(n.seed));
    else
        summary += "; no noise";
    if (settings.addModellingError)
        summary += FormatC("; with the modelling error of %s", kErrorFileName);
    return summary + "\n";
}
