#include "forward/ForwardInput.h"

#include "model/ModelData.h"
#include "platform/StdioFile.h"

void WriteForwardInputFile(const CModelData& m, const std::string& fileName)
{
    static const char* const kTypes[] = {"FWD DC\n", "FWD IP\n", "FWD IPL\n"};
    std::string text = kTypes[m.m_fwdType == 1 ? 1 : m.m_fwdType == 2 ? 2 : 0];
    text += "MESH FILE " + m.m_meshFileName + "\n";
    text += "LOC LOC_X " + m.m_locFileName + "\n";
    text += "COND FILE " + m.m_conFileName + "\n";
    if (m.m_fwdType != 0)
        text += "CHG FILE " + m.m_chgFileName + "\n";
    if (m.m_bTopography)
        text += "TOPO FILE " + m.m_topoFileName + "\n";
    CStdioFile file(fileName, CStdioFile::modeCreate | CStdioFile::modeWrite);
    file.WriteString(text);
    file.Close();
}
