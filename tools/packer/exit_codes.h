// Exit codes of qvpack. Each failure maps to one code so that build scripts can tell
// a bad payload from a broken disk; `qvpack --help` prints this table.
#pragma once

namespace qvpack {

enum class ExitCode : int {
  kOk = 0,
  kInternal = 1,          // encoder failure, out of memory
  kUsage = 2,             // bad command line, output folder inside the payload
  kUnreadable = 3,        // payload folder or file cannot be read, or is not a plain file/folder
  kNameTooLong = 4,       // entry name longer than 259 bytes in GBK (leading backslash included)
  kEmptyFile = 5,         // a file of 0 bytes (see --skip-empty)
  kFileTooLarge = 6,      // a file of 2 GiB or more
  kStreamTooLarge = 7,    // the package stream would pass 2^31-1 bytes
  kFileChanged = 8,       // a file's size changed while it was read
  kNoGbkForm = 9,         // a name that cannot be written in GBK
  kNameUnusable = 10,     // a name Windows or the installer cannot create as given
  kNameClash = 11,        // two names that are the same file on Windows
  kOutputFailed = 12,     // output folder or file cannot be written
  kBadPackage = 13,       // blobs missing, undecodable, or an index that does not load
  kVerifyFailed = 14,     // an entry whose data does not match its digest
};

struct ExitCodeInfo {
  ExitCode code;
  const char* meaning;
};

// Every code with a one-line meaning, in ascending order (the --help table).
inline constexpr ExitCodeInfo kExitCodeTable[] = {
    {ExitCode::kOk, "success"},
    {ExitCode::kInternal, "internal failure (encoder error, out of memory)"},
    {ExitCode::kUsage, "bad command line, or an output folder inside the payload folder"},
    {ExitCode::kUnreadable, "payload folder or file cannot be read, or is neither a file nor a folder"},
    {ExitCode::kNameTooLong, "entry name longer than 259 bytes in GBK, leading backslash included"},
    {ExitCode::kEmptyFile, "file of 0 bytes (the installer cannot install it; see --skip-empty)"},
    {ExitCode::kFileTooLarge, "file of 2 GiB or more"},
    {ExitCode::kStreamTooLarge, "package stream would pass 2^31-1 bytes"},
    {ExitCode::kFileChanged, "file size changed while the file was read"},
    {ExitCode::kNoGbkForm, "file name has no GBK form"},
    {ExitCode::kNameUnusable,
     "name Windows or the installer cannot create: a reserved character or device name,\n"
     "      a trailing dot or space, a backslash inside a name, a GBK character holding a\n"
     "      backslash byte"},
    {ExitCode::kNameClash, "two names that differ only in letter case (one file on Windows)"},
    {ExitCode::kOutputFailed, "output folder or file cannot be written"},
    {ExitCode::kBadPackage, "blobs missing or undecodable, or the index does not load"},
    {ExitCode::kVerifyFailed, "an entry's data does not match its SM3 digest"},
};

inline int ToInt(ExitCode code) { return static_cast<int>(code); }

}  // namespace qvpack
