#include "engine/ForwardJob.h"

#include "engine/EngineError.h"
#include "engine/ModelFiles.h"
#include "engine/RunLog.h"
#include "platform/FileException.h"
#include "platform/StdioFile.h"

const char* CForwardJob::TypeName() const
{
    return type == ip ? "IP" : type == ipl ? "IPL" : "DC";
}

namespace {

// The file name after keyword, or false when the line is another one.
bool NameAfter(const std::string& line, const std::string& keyword, std::string& name)
{
    if (line.compare(0, keyword.size(), keyword) != 0)
        return false;
    name = line.substr(keyword.size());
    return true;
}

} // namespace

CForwardJob CForwardJob::Read(const std::string& path, CRunLog& log, const std::function<void(Type)>& typeRead)
{
    RequireRegularFile(path, "input file");
    CForwardJob job;
    bool typed = false;
    int lineNumber = 0;
    try {
        CStdioFile file(path, CStdioFile::modeRead);
        std::string line;
        while (file.ReadString(line)) {
            ++lineNumber;
            std::string name;
            if (line == "FWD DC" || line == "FWD IP" || line == "FWD IPL") {
                job.type = line == "FWD IP" ? ip : line == "FWD IPL" ? ipl : dc;
                typed = true;
                if (typeRead)
                    typeRead(job.type);
            } else if (NameAfter(line, "MESH FILE ", name)) {
                job.meshFile = name;
            } else if (NameAfter(line, "LOC LOC_X ", name)) {
                job.locationsFile = name;
            } else if (NameAfter(line, "COND FILE ", name)) {
                job.conductivityFile = name;
            } else if (NameAfter(line, "CHG FILE ", name)) {
                job.chargeabilityFile = name;
            } else if (NameAfter(line, "TOPO FILE ", name)) {
                job.topographyFile = name;
            } else if (line.find_first_not_of(" \t") != std::string::npos) {
                log.Warning("Line " + std::to_string(lineNumber) + " of the input file " + path +
                            " is not understood and was ignored: " + line);
            }
        }
        file.Close();
    } catch (const CFileException& e) {
        if (e.m_cause == CFileException::fileNotFound)
            throw CEngineError("The input file " + path + " does not exist.");
        throw CEngineError("The input file " + path + " cannot be read: " + e.GetErrorMessage());
    }

    const std::string in = " in the input file " + path + ".";
    if (!typed)
        throw CEngineError("The forward type (a line FWD DC, FWD IP or FWD IPL) is missing" + in);
    if (job.meshFile.empty())
        throw CEngineError("The mesh file (a line MESH FILE) is missing" + in);
    if (job.locationsFile.empty())
        throw CEngineError("The electrode locations file (a line LOC LOC_X) is missing" + in);
    if (job.conductivityFile.empty())
        throw CEngineError("The conductivity file (a line COND FILE) is missing" + in);
    if (job.type != dc && job.chargeabilityFile.empty())
        throw CEngineError(std::string("FWD ") + job.TypeName() +
                           " needs a chargeability file (a line CHG FILE), which is missing" + in);
    return job;
}
