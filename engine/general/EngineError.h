#pragma once

#include <stdexcept>
#include <string>

// A run that cannot go on: the message is the sentence the user reads in the log and on
// standard error.
class CEngineError : public std::runtime_error {
public:
    explicit CEngineError(const std::string& message) : std::runtime_error(message) {}
};

// What a run that runs out of memory says.
inline constexpr const char* kNotEnoughMemory = "There is not enough memory for this model.";
