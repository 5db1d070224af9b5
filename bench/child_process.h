// Runs a reference tool (xz, openssl, cp) as a child process for the benchmark, with its
// standard output sent to a file, and returns its exit status.
#pragma once

#include <string>
#include <vector>

namespace qvbench {

// argv[0] is looked up in PATH. Standard output goes to `stdout_path` ("/dev/null" to
// drop it). Returns the exit code, or -1 when the program could not be run.
int RunChild(const std::vector<std::string>& argv, const std::string& stdout_path);

}  // namespace qvbench
