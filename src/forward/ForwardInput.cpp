#include "forward/ForwardInput.h"

#include "model/ModelData.h"
#include "platform/MessageBox.h"
#include "platform/StdioFile.h"

#include <vector>

bool CheckForwardInputNames(const CModelData& m)
{
    // The program reads one name per line, to the line's end.
    std::vector<const std::string*> names = {&m.m_meshFileName, &m.m_locFileName, &m.m_conFileName};
    if (m.m_fwdType != 0)
        names.push_back(&m.m_chgFileName);
    if (m.m_bTopography)
        names.push_back(&m.m_topoFileName);
    for (const std::string* name : names) {
        if (name->find_first_of("\r\n") != std::string::npos) {
            AfxMessageBox("The file name\n" + *name +
                          "\nholds a line break, which the forward-modelling input file cannot hold.");
            return false;
        }
    }
    return true;
}

bool WriteForwardInputFile(const CModelData& m, const std::string& fileName)
{
    if (!CheckForwardInputNames(m))
        return false;
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
    return true;
}
