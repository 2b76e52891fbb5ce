#pragma once
// A failure with the program's numeric error code (53 file not found, 75 access denied, ...).
// Procedures that meet one report it themselves or let it travel to a caller that does.

#include <exception>

namespace platform {

struct RuntimeError : std::exception {
    explicit RuntimeError(int errorCode) : code(errorCode) {}
    const char *what() const noexcept override { return "runtime error"; }
    int code;
};

// Error codes the program tells apart.
namespace ErrorCode {
constexpr int Overflow = 6;
constexpr int OutOfMemory = 7;
constexpr int TypeMismatch = 13;  // a stored value that does not convert
constexpr int FileNotFound = 53;
constexpr int AccessDenied = 75;
constexpr int PathNotFound = 76;
constexpr int InvalidValue = 380;   // a value its target rejects
constexpr int PrinterError = 482;
constexpr int Refused = 5000;       // refused by an option of the program
} // namespace ErrorCode

} // namespace platform
