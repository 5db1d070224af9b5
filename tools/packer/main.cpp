// qvpack: builds the installer's embedded package from a payload folder, and reads one
// back (list, verify, unpack) through the installer's own package code.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <new>
#include <string>
#include <vector>

#include "exit_codes.h"
#include "host_text.h"
#include "inspect.h"
#include "pack.h"

namespace qvpack {
namespace {

const char kUsage[] =
    "usage: qvpack pack [--plain] [--skip-empty] [--preset N[e]] PAYLOAD_DIR OUT_DIR\n"
    "       qvpack list BLOB_DIR\n"
    "       qvpack verify BLOB_DIR\n"
    "       qvpack unpack BLOB_DIR DEST\n"
    "       qvpack --help\n";

const char kHelp[] =
    "\n"
    "pack    Writes OUT_DIR/index.blob (resource 129, the package index) and\n"
    "        OUT_DIR/stream.blob (resource 130, the package stream) from every file below\n"
    "        PAYLOAD_DIR. Entry names are a backslash and the path below PAYLOAD_DIR in GBK.\n"
    "        Both blobs are replaced together or not at all; a failed run leaves no partial\n"
    "        blob. The same payload gives the same bytes. A progress line is shown on a terminal.\n"
    "          --plain       store records and data unscrambled (default: scrambled)\n"
    "          --skip-empty  leave out files of 0 bytes with a warning (default: refuse them)\n"
    "          --preset N    LZMA preset 0-9, 'e' appended for extreme (default: 9e)\n"
    "list    Prints one line per entry: name, length, offset, scrambled|plain, SM3 (hex),\n"
    "        separated by tabs.\n"
    "verify  Decodes both blobs and checks the SM3 digest of every entry.\n"
    "unpack  Writes every entry below DEST as the installer extracts it.\n"
    "\n"
    "exit codes:\n";

void PrintHelp() {
  std::fputs(kUsage, stdout);
  std::fputs(kHelp, stdout);
  for (const ExitCodeInfo& info : kExitCodeTable) std::printf("  %2d  %s\n", ToInt(info.code), info.meaning);
}

int UsageError(const std::string& why) {
  std::fprintf(stderr, "qvpack: %s\n%s", why.c_str(), kUsage);
  return ToInt(ExitCode::kUsage);
}

// "0".."9", optionally followed by 'e'.
bool ParsePreset(const char* text, std::uint32_t& preset) {
  if (text[0] < '0' || text[0] > '9') return false;
  preset = static_cast<std::uint32_t>(text[0] - '0');
  if (text[1] == '\0') return true;
  if (text[1] == 'e' && text[2] == '\0') {
    preset |= LZMA_PRESET_EXTREME;
    return true;
  }
  return false;
}

int Report(const Status& status) {
  if (!status.ok()) std::fprintf(stderr, "qvpack: error: %s\n", status.message.c_str());
  return ToInt(status.code);
}

int Run(int argc, char** argv) {
  std::vector<const char*> args;
  PackOptions pack;
  bool pack_options = false;
  for (int i = 1; i < argc; ++i) {
    const char* a = argv[i];
    if (std::strcmp(a, "--help") == 0 || std::strcmp(a, "-h") == 0) {
      PrintHelp();
      return ToInt(ExitCode::kOk);
    } else if (std::strcmp(a, "--plain") == 0) {
      pack.scramble = false;
      pack_options = true;
    } else if (std::strcmp(a, "--skip-empty") == 0) {
      pack.skip_empty = true;
      pack_options = true;
    } else if (std::strcmp(a, "--preset") == 0) {
      if (i + 1 >= argc || !ParsePreset(argv[i + 1], pack.preset)) {
        return UsageError("--preset takes a level 0-9, optionally followed by 'e'");
      }
      ++i;
      pack_options = true;
    } else if (std::strcmp(a, "--") == 0) {
      for (++i; i < argc; ++i) args.push_back(argv[i]);
    } else if (a[0] == '-' && a[1] != '\0') {
      return UsageError(std::string("unknown option ") + a);
    } else {
      args.push_back(a);
    }
  }
  if (args.empty()) return UsageError("no command given");
  const std::string command = args[0];
  const std::size_t operands = args.size() - 1;
  if (pack_options && command != "pack") return UsageError("--plain, --skip-empty and --preset are for pack");

  if (command == "pack" && operands == 2) {
    pack.progress = StderrIsTerminal();
    pack.warn = [](const std::string& text) { std::fprintf(stderr, "qvpack: warning: %s\n", text.c_str()); };
    return Report(Pack(PathFromArgument(args[1]), PathFromArgument(args[2]), pack));
  }
  if (command == "list" && operands == 1) return Report(ListPackage(PathFromArgument(args[1]), stdout));
  if (command == "verify" && operands == 1) return Report(VerifyPackage(PathFromArgument(args[1]), stdout));
  if (command == "unpack" && operands == 2) {
    return Report(UnpackPackage(PathFromArgument(args[1]), PathFromArgument(args[2])));
  }
  if (command == "pack" || command == "list" || command == "verify" || command == "unpack") {
    return UsageError("wrong number of arguments for " + command);
  }
  return UsageError("unknown command " + command);
}

}  // namespace
}  // namespace qvpack

int main(int argc, char** argv) {
  try {
    return qvpack::Run(argc, argv);
  } catch (const std::bad_alloc&) {
    std::fputs("qvpack: error: out of memory\n", stderr);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "qvpack: error: %s\n", e.what());
  }
  return qvpack::ToInt(qvpack::ExitCode::kInternal);
}
