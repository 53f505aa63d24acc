#pragma once

#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

// Why computing code ended a command, with the text a person reads: a plain refusal, an error,
// or news such as a cancelled run. Computing code raises it and never shows it; the document,
// the batch mode and the programs' mains do.
class CRefusal : public std::runtime_error {
public:
    enum Kind { plain, error, news };
    explicit CRefusal(const std::string& text, Kind kind = plain) : std::runtime_error(text), m_kind(kind) {}
    Kind GetKind() const { return m_kind; }

private:
    Kind m_kind;
};

// Warnings in the order they arose, for the caller to show with its result.
using CWarnings = std::vector<std::string>;

// What a check found: warnings in their order, then at most one refusal, which ends the command.
struct CVerdict {
    CWarnings warnings;
    std::optional<CRefusal> refusal;
    const void* subject = nullptr; // the setting refused, when the check names one

    CVerdict& Warn(std::string text)
    {
        warnings.push_back(std::move(text));
        return *this;
    }
    CVerdict& Refuse(const std::string& text, const void* setting = nullptr)
    {
        refusal.emplace(text);
        subject = setting;
        return *this;
    }
};

// Shows the warnings, then the refusal, each in a box; false when there was a refusal.
bool ShowVerdict(const CVerdict& verdict);
void ShowWarnings(const CWarnings& warnings);
// As ShowVerdict, with each warning a question whose Cancel stops there: true when every warning
// was answered OK and nothing was refused.
bool ConfirmVerdict(const CVerdict& verdict);

// Runs a command's work; a refusal or a file error it raises is shown in a box and gives false.
bool Attempt(const std::function<void()>& work);
