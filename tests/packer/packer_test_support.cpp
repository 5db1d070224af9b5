#include "packer_test_support.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <random>
#include <sstream>
#include <system_error>

#include "host_text.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace qvpack_test {

namespace {
fs::path& QvpackPathStorage() {
  static fs::path path;
  return path;
}
}  // namespace

const fs::path& QvpackPath() { return QvpackPathStorage(); }
void SetQvpackPath(const fs::path& path) { QvpackPathStorage() = path; }

fs::path U8(const std::string& utf8) { return fs::u8path(utf8); }

ScratchDir::ScratchDir() {
  std::random_device device;
  std::mt19937_64 mix(device());
  for (;;) {
    char name[40];
    std::snprintf(name, sizeof name, "qvpack-test-%016llx", static_cast<unsigned long long>(mix()));
    path_ = fs::temp_directory_path() / name;
    if (fs::create_directory(path_)) break;
  }
}

ScratchDir::~ScratchDir() {
  std::error_code ec;
  fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
  fs::remove_all(path_, ec);
}

void WriteFile(const fs::path& path, const std::string& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path.u8string());
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path.u8string());
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::vector<std::pair<std::string, std::string>> TreeContents(const fs::path& root) {
  std::vector<std::pair<std::string, std::string>> files;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    if (entry.is_regular_file()) {
      files.emplace_back(entry.path().lexically_relative(root).generic_u8string(), ReadFile(entry.path()));
    }
  }
  std::sort(files.begin(), files.end());
  return files;
}

std::string RandomBytes(std::size_t size, std::uint32_t seed) {
  std::mt19937 gen(seed);
  std::string bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>(gen() & 0xFF);
  return bytes;
}

std::string Shown(const fs::path& path) { return qvpack::NarrowPath(path); }

#ifdef _WIN32

namespace {
std::wstring Quote(const std::wstring& arg) {
  std::wstring out = L"\"";
  std::size_t backslashes = 0;
  for (wchar_t c : arg) {
    if (c == L'\\') {
      ++backslashes;
    } else {
      if (c == L'"') out.append(backslashes + 1, L'\\');
      backslashes = 0;
    }
    out.push_back(c);
  }
  out.append(backslashes, L'\\');
  out.push_back(L'"');
  return out;
}

HANDLE InheritableFile(const fs::path& path) {
  SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
  return CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &sa, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                     nullptr);
}
}  // namespace

RunResult RunProgram(const fs::path& program, const std::vector<fs::path>& args) {
  ScratchDir capture;
  std::wstring command = Quote(program.native());
  for (const fs::path& a : args) command += L" " + Quote(a.native());
  HANDLE out = InheritableFile(capture / "out");
  HANDLE err = InheritableFile(capture / "err");
  STARTUPINFOW si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  si.hStdOutput = out;
  si.hStdError = err;
  PROCESS_INFORMATION pi{};
  RunResult result;
  if (CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) {
    WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    result.exit_code = static_cast<int>(code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
  }
  CloseHandle(out);
  CloseHandle(err);
  result.out = ReadFile(capture / "out");
  result.err = ReadFile(capture / "err");
  return result;
}

#else

RunResult RunProgram(const fs::path& program, const std::vector<fs::path>& args) {
  ScratchDir capture;
  const fs::path out_path = capture / "out";
  const fs::path err_path = capture / "err";
  std::vector<std::string> strings{program.native()};
  for (const fs::path& a : args) strings.push_back(a.native());
  std::vector<char*> argv;
  for (std::string& s : strings) argv.push_back(s.data());
  argv.push_back(nullptr);
  RunResult result;
  pid_t pid = fork();
  if (pid == 0) {
    int out = open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int err = open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (out < 0 || err < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0) _exit(127);
    execv(argv[0], argv.data());
    _exit(127);
  }
  int status = 0;
  if (pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status)) result.exit_code = WEXITSTATUS(status);
  result.out = ReadFile(out_path);
  result.err = ReadFile(err_path);
  return result;
}

#endif

}  // namespace qvpack_test
