// The result of a qvpack operation: an exit code and, on failure, a message that names
// the file concerned. The tool's code reports failures through this type, not exceptions.
#pragma once

#include <string>
#include <utility>

#include "exit_codes.h"

namespace qvpack {

struct Status {
  ExitCode code = ExitCode::kOk;
  std::string message;

  bool ok() const { return code == ExitCode::kOk; }
  static Status Ok() { return {}; }
  static Status Fail(ExitCode c, std::string text) { return {c, std::move(text)}; }
};

}  // namespace qvpack
