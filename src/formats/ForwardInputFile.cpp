#include "formats/ForwardInputFile.h"

#include "formats/FormatError.h"
#include "formats/Limits.h"
#include "formats/Text.h"
#include "platform/StdioFile.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>

namespace {

// By EForwardType.
const char* const kTypeLines[] = {"FWD DC", "FWD IP", "FWD IPL"};
const char* const kMesh = "MESH FILE ";
const char* const kLocations = "LOC LOC_X ";
const char* const kConductivity = "COND FILE ";
const char* const kChargeability = "CHG FILE ";
const char* const kTopography = "TOPO FILE ";
const char* const kSensitivity = "SENS FILE ";
const char* const kJacobian = "JACOBIAN FILE ";
const char* const kDoi = "DOI FILE ";
const char* const kDesign = "OPTIMIZE SURVEY ";
const char* const kProtocol = "PROTOCOL FILE ";
const char* const kReport = "DESIGN FILE ";

// The name after keyword, or false when the line is another one.
bool NameAfter(std::string_view line, std::string_view keyword, std::string& name)
{
    if (!line.starts_with(keyword))
        return false;
    name = line.substr(keyword.size());
    return true;
}

// The numbers of a design line, by the rules Parse gives.
CForwardInputFile::CDesign ParseDesign(std::string_view numbers, const std::string& name, int line)
{
    CForwardInputFile::CDesign d;
    CTokens tokens(numbers);
    std::string_view token;
    double values[5];
    bool ok = tokens.Next(token) && ParseInteger(token, d.count) && d.count >= 1 && d.count <= kMaxData;
    for (double& value : values)
        ok = ok && tokens.Next(token) && ParseNumber(token, value) && std::fabs(value) <= kMaxCoordinate;
    ok = ok && !tokens.Next(token);
    d.spacing = values[0], d.x1 = values[1], d.x2 = values[2], d.z1 = values[3], d.z2 = values[4];
    if (!ok || d.spacing < kMinLength || d.x2 - d.x1 < kMinLength || d.z2 - d.z1 < kMinLength)
        throw CFormatError(name, line,
                           "a survey design is a count from 1 to " + std::to_string(kMaxData) +
                               ", the electrode spacing and the section x1 x2 z1 z2, each at most " +
                               Exact(kMaxCoordinate) + " in size, not " + Quoted(numbers));
    return d;
}

const char* TypeLine(EForwardType type)
{
    return kTypeLines[static_cast<int>(type)];
}

} // namespace

const char* CForwardInputFile::TypeName() const
{
    return TypeLine(type) + 4;
}

CForwardInputFile CForwardInputFile::Parse(std::string_view text, const std::string& name,
                                           const std::function<void(EForwardType)>& typeRead)
{
    CForwardInputFile f;
    bool typed = false;
    CLines lines(text);
    std::string_view line;
    while (lines.Next(line)) {
        bool known = true;
        if (const auto* typeLine = std::find(std::begin(kTypeLines), std::end(kTypeLines), line);
            typeLine != std::end(kTypeLines)) {
            f.type = static_cast<EForwardType>(typeLine - kTypeLines);
            typed = true;
            if (typeRead)
                typeRead(f.type);
        } else {
            known = false;
            std::string design;
            if (NameAfter(line, kDesign, design)) {
                f.design = ParseDesign(design, name, lines.Number());
                known = true;
            }
            for (const auto& [keyword, target] : {std::pair{kMesh, &f.meshFile},
                                                  {kLocations, &f.locationsFile},
                                                  {kConductivity, &f.conductivityFile},
                                                  {kChargeability, &f.chargeabilityFile},
                                                  {kTopography, &f.topographyFile},
                                                  {kSensitivity, &f.sensitivityFile},
                                                  {kJacobian, &f.jacobianFile},
                                                  {kDoi, &f.doiFile},
                                                  {kProtocol, &f.protocolFile},
                                                  {kReport, &f.designFile}}) {
                if (known || !NameAfter(line, keyword, *target))
                    continue;
                // A carriage return left at the end (a line ending in CR CR LF) would not come back
                // once written, and the writer cannot hold one anywhere in a name.
                if (!CanHold(*target))
                    throw CFormatError(name, lines.Number(),
                                       "the file name " + Quoted(*target) +
                                           " holds a carriage return, which a file "
                                           "name here cannot hold");
                known = true;
                break;
            }
        }
        if (!known && !IsBlankLine(line))
            f.unknownLines.emplace_back(lines.Number(), std::string(line));
    }
    auto missing = [&name](const std::string& what) { throw CFormatError(name, 0, what + " is missing"); };
    // A keyword as the messages name its line, without the blank that ends it.
    auto key = [](const char* keyword) { return std::string(keyword, std::strlen(keyword) - 1); };
    if (!typed)
        missing(std::string("the forward type (a line ") + kTypeLines[0] + ", " + kTypeLines[1] + " or " +
                kTypeLines[2] + ")");
    if (f.meshFile.empty())
        missing("the mesh file (a line " + key(kMesh) + ")");
    if (f.locationsFile.empty())
        missing("the electrode locations file (a line " + key(kLocations) + ")");
    if (f.conductivityFile.empty())
        missing("the conductivity file (a line " + key(kConductivity) + ")");
    if (f.type != EForwardType::dc && f.chargeabilityFile.empty())
        missing("the chargeability file (a line " + key(kChargeability) + "), which " + TypeLine(f.type) + " needs,");
    if (f.design.count > 0 && (f.protocolFile.empty() || f.designFile.empty()))
        missing("the file a survey design writes (a line " + key(kProtocol) + " and a line " + key(kReport) + ")");
    return f;
}

CForwardInputFile CForwardInputFile::Read(const std::string& path, const std::function<void(EForwardType)>& typeRead)
{
    return Parse(ReadTextFile(path, kMaxInputFileBytes), path, typeRead);
}

bool CForwardInputFile::CanHold(const std::string& fileName)
{
    return fileName.find_first_of("\r\n") == std::string::npos;
}

std::string CForwardInputFile::Format() const
{
    std::string text = std::string(TypeLine(type)) + "\n";
    text += kMesh + meshFile + "\n";
    text += kLocations + locationsFile + "\n";
    text += kConductivity + conductivityFile + "\n";
    if (type != EForwardType::dc)
        text += kChargeability + chargeabilityFile + "\n";
    if (!topographyFile.empty())
        text += kTopography + topographyFile + "\n";
    for (const auto& [keyword, name] :
         {std::pair{kSensitivity, &sensitivityFile}, {kJacobian, &jacobianFile}, {kDoi, &doiFile}})
        if (!name->empty())
            text += keyword + *name + "\n";
    if (design.count > 0) {
        text += kDesign + std::to_string(design.count);
        for (double value : {design.spacing, design.x1, design.x2, design.z1, design.z2})
            text += " " + Exact(value);
        text += "\n";
        text += kProtocol + protocolFile + "\n";
        text += kReport + designFile + "\n";
    }
    return text;
}

void CForwardInputFile::Write(const std::string& path) const
{
    for (const std::string* name : {&meshFile, &locationsFile, &conductivityFile, &chargeabilityFile, &topographyFile,
                                    &sensitivityFile, &jacobianFile, &doiFile, &protocolFile, &designFile})
        if (!CanHold(*name))
            throw CFormatError(path, 0, "the file name " + Quoted(*name) + " holds a line break, which it cannot hold");
    WriteTextFile(path, Format());
}
