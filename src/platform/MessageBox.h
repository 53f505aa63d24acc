#pragma once

#include <functional>
#include <string>

// Box styles: one button set combined with at most one icon.
enum : unsigned {
    MB_OK = 0x00,
    MB_OKCANCEL = 0x01,
    MB_YESNOCANCEL = 0x03,
    MB_YESNO = 0x04,
    MB_TYPEMASK = 0x0F,
    MB_ICONERROR = 0x10,
    MB_ICONQUESTION = 0x20,
    MB_ICONEXCLAMATION = 0x30,
    MB_ICONINFORMATION = 0x40,
    MB_ICONMASK = 0xF0,
};

// Buttons a box can answer with.
enum : int { IDOK = 1, IDCANCEL = 2, IDYES = 6, IDNO = 7 };

using MessageBoxHandler = std::function<int(const std::string& text, unsigned style)>;

// Shows text in a modal box captioned with the application name and returns the button pressed.
// Without an installed handler the text goes to standard error and a question gets the answer
// that changes nothing: No, or Cancel where the box offers it.
int AfxMessageBox(const std::string& text, unsigned style = MB_OK);

// Installs the handler every box goes through (the desktop's, a batch run's, a test's);
// an empty handler restores the standard-error one. Returns the handler it replaced.
MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler);

// What an allocation that failed is reported as; the forward-modelling program says the same.
constexpr const char* kNoMemoryMessage = "There is not enough memory for this model.";

// Runs work. An allocation that fails in it ends the work and not the program: kNoMemoryMessage
// goes to an error box, and the result is false.
bool RunReportingNoMemory(const std::function<void()>& work);

// The caption of every box.
const std::string& AfxGetAppName();
void AfxSetAppName(const std::string& name);

// The desktop's simple beep; nothing without a desktop. The Qt layer installs its own.
void MessageBeep();
void SetMessageBeepHandler(std::function<void()> handler);
