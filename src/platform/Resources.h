#pragma once

#include <string>
#include <vector>

// Resource tables the application hands to the framework: menus, accelerators, toolbar and the
// string table of command prompts ("status-bar prompt\ntooltip").

struct MenuItem {
    const char* text; // nullptr: a separator
    unsigned id;
    std::vector<MenuItem> items = {}; // not empty: a popup of these items, and id is unused
};

struct MenuPopup {
    const char* text;
    std::vector<MenuItem> items;
};

struct Accelerator {
    unsigned id;
    const char* key; // in Qt's portable key-sequence text, e.g. "Ctrl+N"
};

struct StringEntry {
    unsigned id;
    const char* text;
};

struct FrameResource {
    unsigned id;
    // Window title, document name, name for New, filter name, filter extension, file type id
    // and file type name, separated by "\n".
    const char* docStrings;
    std::vector<MenuPopup> menu;
    std::vector<Accelerator> accelerators;
    std::vector<unsigned> toolbar; // 0: a separator
    int buttonWidth;
    int buttonHeight;
};

// The application's string table. A missing string is "".
void AfxSetStringTable(std::vector<StringEntry> table);
std::string AfxLoadString(unsigned id);

// The status-bar prompt and the tooltip of a command, split at the "\n" of its string.
std::string CommandPrompt(unsigned id);
std::string CommandTooltip(unsigned id);

// One of the fields of a document string, counted from 0; "" when missing.
std::string DocStringField(const char* docStrings, int index);
