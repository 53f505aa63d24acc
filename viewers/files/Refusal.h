#pragma once

#include "formats/FormatError.h"
#include "platform/FileException.h"

#include <string>

// What a viewer says when read raises: the standard text for a file that cannot be opened or
// read, or heading followed by the reader's refusal (the file, the line, the reason). "" when
// read runs through.
template <class Read>
std::string Refusal(Read read, const std::string& heading = "Error reading")
{
    try {
        read();
        return "";
    } catch (const CFileException& e) {
        return e.GetErrorMessage();
    } catch (const CFormatError& e) {
        return heading + "\n" + e.what();
    }
}
