// Record files: the sample programs write what they were given to a file, so that tests and
// the installation report can read it without a screen.
#pragma once

#include <string>

namespace qv::sample {

// Writes `bytes` to `path`, replacing any earlier content. Returns false when the file cannot
// be created or not every byte was written.
bool WriteRecordFile(const std::string& path, const std::string& bytes);

}  // namespace qv::sample
