// How a command of the keelvane tool fails: a message for stderr and the exit status
// that tells the kind of failure.
#pragma once

#include <stdexcept>
#include <string>

namespace kvtool {

constexpr int kStatusOk = 0;
constexpr int kStatusFailed = 1;      // an operation failed (the module, a file, the host)
constexpr int kStatusBadInput = 2;    // the command line or an input file is wrong

struct ToolError : std::runtime_error {
  ToolError(int exitStatus, const std::string& message)
      : std::runtime_error(message), status(exitStatus) {}
  int status;
};

// The command line or an input is wrong: throws a ToolError with kStatusBadInput and why.
[[noreturn]] inline void Refuse(const std::string& why) { throw ToolError(kStatusBadInput, why); }

}  // namespace kvtool
