#pragma once

#include "formats/ExportFiles.h"

#include <string>
#include <string_view>

// Strict readers of the files CExportSurvey writes, so that the tests read back what the writers
// wrote; no product reads these files. Each raises CFormatError with the line at fault.
CExportSurvey ParseUnified(std::string_view text, const std::string& name);
CExportSurvey ParseRes2dinv(std::string_view text, const std::string& name);
// protocol.dat with its electrode file; ip and the options say which columns there are.
CExportSurvey ParseProtocol(std::string_view protocol, std::string_view electrodes, const std::string& name, bool ip,
                            const CExportOptions& options = {});
