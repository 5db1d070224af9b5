#include "e2e_support.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <objidl.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <memory>

namespace qv::e2e {

const char kWindowTitle[] = "Qelvo电子印章阅读器  V1.0 安装程序";
const char kNoteTemplateText[] = "安装程序正在初始化...";

namespace {

constexpr int kMessageTextId = 0xFFFF;  // the text of a message box

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

struct KeyCloser {
  void operator()(HKEY key) const { RegCloseKey(key); }
};
using Key = std::unique_ptr<std::remove_pointer_t<HKEY>, KeyCloser>;

Key OpenKey(HKEY root, const std::string& path, REGSAM access) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, path.c_str(), 0, access | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS) {
    return Key();
  }
  return Key(key);
}

void CollectFiles(const std::string& folder, const std::string& prefix, std::vector<std::string>& out) {
  WIN32_FIND_DATAA found;
  const HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    const std::string name = found.cFileName;
    if (name == "." || name == "..") continue;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      CollectFiles(folder + "\\" + name, prefix + name + "\\", out);
    } else {
      out.push_back(prefix + name);
    }
  } while (FindNextFileA(search, &found));
  FindClose(search);
}

template <class Interface>
struct ComRelease {
  void operator()(Interface* object) const { object->Release(); }
};

bool HasMessageText(HWND window) { return GetDlgItem(window, kMessageTextId) != nullptr; }


}  // namespace

std::string WinePath(const std::string& hostPath) {
  std::string path = hostPath;
  std::replace(path.begin(), path.end(), '/', '\\');
  return "Z:" + path;
}

bool ReadWholeFile(const std::string& path, std::string& content) {
  content.clear();
  File file(std::fopen(path.c_str(), "rb"));
  if (!file) return false;
  char buffer[65536];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) content.append(buffer, got);
  return std::ferror(file.get()) == 0;
}

bool WriteWholeFile(const std::string& path, const std::string& content) {
  File file(std::fopen(path.c_str(), "wb"));
  if (!file) return false;
  const bool written = std::fwrite(content.data(), 1, content.size(), file.get()) == content.size();
  return std::fclose(file.release()) == 0 && written;
}

bool FileExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool MakeDirectories(const std::string& path) {
  for (size_t at = path.find('\\', 3); at != std::string::npos; at = path.find('\\', at + 1)) {
    CreateDirectoryA(path.substr(0, at).c_str(), nullptr);
  }
  CreateDirectoryA(path.c_str(), nullptr);
  return DirectoryExists(path);
}

std::vector<std::string> RelativeFilesBelow(const std::string& folder) {
  std::vector<std::string> files;
  CollectFiles(folder, "", files);
  std::sort(files.begin(), files.end());  // std::string compares bytes as unsigned
  return files;
}

std::vector<std::string> CatalogueNamesBelow(const std::string& folder) {
  std::vector<std::string> names;
  for (const std::string& relative : RelativeFilesBelow(folder)) names.push_back("\\" + relative);
  std::sort(names.begin(), names.end());
  return names;
}

std::optional<std::string> RecordValue(const std::string& recordText, const std::string& key) {
  const std::string start = key + "=";
  size_t at = 0;
  while (at < recordText.size()) {
    size_t end = recordText.find("\r\n", at);
    if (end == std::string::npos) end = recordText.size();
    const std::string line = recordText.substr(at, end - at);
    if (line.compare(0, start.size(), start) == 0) return line.substr(start.size());
    at = end + 2;
  }
  return std::nullopt;
}

std::string ProgramFilesFolder() { return SpecialFolder(CSIDL_PROGRAM_FILES); }

std::string InstallDir() { return ProgramFilesFolder() + "\\QVStampReader\\"; }

std::string TempFolder() {
  char path[MAX_PATH + 1] = {};
  GetTempPathA(MAX_PATH, path);
  return path;
}

std::string SpecialFolder(int csidl) {
  char path[MAX_PATH + 1] = {};
  if (FAILED(SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path))) return "";
  return path;
}

std::optional<std::string> RegistryString(HKEY root, const std::string& key, const char* value) {
  const Key opened = OpenKey(root, key, KEY_QUERY_VALUE);
  if (!opened) return std::nullopt;
  char data[2048] = {};
  DWORD size = sizeof data - 1;
  DWORD type = 0;
  if (RegQueryValueExA(opened.get(), value, nullptr, &type, reinterpret_cast<BYTE*>(data), &size) !=
          ERROR_SUCCESS ||
      type != REG_SZ) {
    return std::nullopt;
  }
  return std::string(data);
}

bool RegistryKeyExists(HKEY root, const std::string& key) {
  return static_cast<bool>(OpenKey(root, key, KEY_QUERY_VALUE));
}

bool SetRegistryString(HKEY root, const std::string& key, const char* value, const std::string& text) {
  HKEY created = nullptr;
  if (RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE | KEY_WOW64_64KEY, nullptr,
                      &created, nullptr) != ERROR_SUCCESS) {
    return false;
  }
  const Key owned(created);
  return RegSetValueExA(created, value, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                        static_cast<DWORD>(text.size() + 1)) == ERROR_SUCCESS;
}

bool DeleteRegistryValue(HKEY root, const std::string& key, const char* value) {
  const Key opened = OpenKey(root, key, KEY_SET_VALUE);
  return opened && RegDeleteValueA(opened.get(), value) == ERROR_SUCCESS;
}

LinkInfo ReadShellLink(const std::string& linkPath) {
  LinkInfo info;
  const HRESULT init = CoInitialize(nullptr);
  {
    IShellLinkA* rawLink = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void**>(&rawLink)))) {
      const std::unique_ptr<IShellLinkA, ComRelease<IShellLinkA>> link(rawLink);
      IPersistFile* rawFile = nullptr;
      if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&rawFile)))) {
        const std::unique_ptr<IPersistFile, ComRelease<IPersistFile>> file(rawFile);
        wchar_t widePath[MAX_PATH] = {};
        MultiByteToWideChar(CP_ACP, 0, linkPath.c_str(), -1, widePath, MAX_PATH);
        if (SUCCEEDED(file->Load(widePath, STGM_READ))) {
          char text[MAX_PATH + 1] = {};
          if (SUCCEEDED(link->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH))) info.target = text;
          char folder[MAX_PATH + 1] = {};
          if (SUCCEEDED(link->GetWorkingDirectory(folder, MAX_PATH))) info.workingDirectory = folder;
          info.loaded = true;
        }
      }
    }
  }
  if (SUCCEEDED(init)) CoUninitialize();
  return info;
}

void UseUnmanagedWindows() {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\X11 Driver", 0, nullptr, 0, KEY_SET_VALUE,
                      nullptr, &key, nullptr) != ERROR_SUCCESS) {
    return;
  }
  RegSetValueExA(key, "Managed", 0, REG_SZ, reinterpret_cast<const BYTE*>("N"), 2);
  RegCloseKey(key);
}

NamedEvent::NamedEvent(const std::string& name) : m_event(CreateEventA(nullptr, TRUE, FALSE, name.c_str())) {}

NamedEvent::~NamedEvent() {
  if (m_event != nullptr) CloseHandle(m_event);
}

bool NamedEvent::Wait(DWORD timeoutMs) const {
  return m_event != nullptr && WaitForSingleObject(m_event, timeoutMs) == WAIT_OBJECT_0;
}

void NamedEvent::Set() const {
  if (m_event != nullptr) SetEvent(m_event);
}

Installer::Installer(std::string exe) : m_exe(std::move(exe)) {}

Installer::~Installer() {
  if (m_process.IsRunning()) m_process.Terminate();
}

bool Installer::Start(const std::string& arguments, const qv::ui::Environment& env) {
  std::string commandLine = qv::ui::Quote(m_exe);
  if (!arguments.empty()) commandLine += " " + arguments;
  m_process = qv::ui::ChildProcess::Start(commandLine, env);
  return m_process.IsStarted();
}

std::optional<DWORD> Installer::WaitForExit(DWORD timeoutMs) const { return m_process.WaitForExit(timeoutMs); }

HWND Installer::WaitForSetupWindow(DWORD timeoutMs) {
  qv::ui::WindowFilter filter;
  filter.processId = m_process.Id();
  filter.className = "#32770";
  filter.title = kWindowTitle;
  m_window = qv::ui::WaitForWindow(filter, timeoutMs);
  return m_window;
}

HWND Installer::WaitForOwnedBox(DWORD timeoutMs, HWND except) const {
  qv::ui::WindowFilter filter;
  filter.className = "#32770";
  filter.owner = m_window;
  filter.ownerMustMatch = true;
  filter.exclude = except;
  return qv::ui::WaitForWindow(filter, timeoutMs);
}

HWND Installer::WaitForUnownedBox(DWORD timeoutMs) const {
  return qv::ui::WaitForDialogOf(
      m_process.Id(), [](HWND window) { return GetWindow(window, GW_OWNER) == nullptr && HasMessageText(window); },
      timeoutMs);
}

HWND Installer::FindNoteWindow() const {
  return qv::ui::WaitForDialogOf(m_process.Id(), [](HWND window) { return GetDlgItem(window, kNoteText) != nullptr; }, 0);
}

std::string Installer::LogText() const { return qv::ui::ControlText(m_window, kLogBox); }

int Installer::ProgressPosition() const {
  bool answered = false;
  const LRESULT position = qv::ui::Send(qv::ui::Control(m_window, kProgressBar), PBM_GETPOS, 0, 0, &answered);
  return answered ? static_cast<int>(position) : -1;
}

bool Installer::IsFinished() const {
  return qv::ui::ControlText(m_window, kTitleText) == "安装完成!" &&
         qv::ui::ControlText(m_window, kCancelButton) == "完成";
}

bool Installer::WaitForFinished(DWORD timeoutMs) const {
  return qv::ui::WaitUntil([&] { return IsFinished(); }, timeoutMs);
}

bool Installer::WaitForLogLines(size_t lines, DWORD timeoutMs) const {
  return qv::ui::WaitUntil(
      [&] {
        const std::string log = LogText();
        size_t count = 0;
        for (size_t at = log.find("\r\n"); at != std::string::npos; at = log.find("\r\n", at + 2)) ++count;
        return count >= lines;
      },
      timeoutMs);
}

bool StartAndClickInstall(Installer& installer, const qv::ui::Environment& env) {
  if (!installer.Start("", env)) return false;
  const HWND window = installer.WaitForSetupWindow();
  if (window == nullptr) return false;
  qv::ui::ClickControl(window, kInstallButton);
  return true;
}

bool CancelWithYes(Installer& installer) {
  qv::ui::ClickControl(installer.Window(), kCancelButton);
  const HWND question = installer.WaitForOwnedBox();
  if (question == nullptr || qv::ui::MessageBoxText(question) != "您确定要取消安装吗?") return false;
  return AnswerBox(question, IDYES);
}

bool CopyStandIn(const std::string& standIn, const std::string& destination) {
  const size_t slash = destination.rfind('\\');
  if (slash != std::string::npos) MakeDirectories(destination.substr(0, slash));
  return CopyFileA(standIn.c_str(), destination.c_str(), FALSE) != 0;
}

bool AnswerBox(HWND box, int id, DWORD timeoutMs) {
  if (box == nullptr) return false;
  qv::ui::PressMessageBoxButton(box, id);
  return qv::ui::WaitUntil([&] { return !IsWindow(box); }, timeoutMs);
}

std::string WindowTextWithoutMessage(HWND window) {
  wchar_t wide[1024] = {};
  const int length = InternalGetWindowText(window, wide, 1024);
  if (length <= 0) return "";
  char narrow[4096] = {};
  const int bytes = WideCharToMultiByte(936, 0, wide, length, narrow, sizeof narrow, nullptr, nullptr);
  return std::string(narrow, bytes > 0 ? bytes : 0);
}

std::string ExpectedLog(const std::string& installDir, const std::vector<std::string>& names) {
  std::string log;
  for (auto it = names.rbegin(); it != names.rend(); ++it) log += installDir + it->substr(1) + "\r\n";
  return log;
}

void ExpectPayloadInstalled(const std::string& payloadDir, const std::string& installDir) {
  const std::vector<std::string> files = RelativeFilesBelow(payloadDir);
  EXPECT_FALSE(files.empty()) << "no payload below " << payloadDir;
  for (const std::string& relative : files) {
    std::string expected;
    std::string installed;
    ASSERT_TRUE(ReadWholeFile(payloadDir + "\\" + relative, expected)) << relative;
    EXPECT_TRUE(ReadWholeFile(installDir + relative, installed)) << "not installed: " << relative;
    EXPECT_TRUE(installed == expected) << "differs from the payload: " << relative;
  }
}

void ExpectCompleteSampleInstallation(const std::string& payloadDir, const std::string& installerExe) {
  const std::string dir = InstallDir();
  ExpectPayloadInstalled(payloadDir, dir);

  std::string backup;
  std::string installer;
  ASSERT_TRUE(ReadWholeFile(installerExe, installer));
  EXPECT_TRUE(ReadWholeFile(dir + "qvsetup_bk.exe", backup));
  EXPECT_TRUE(backup == installer) << "qvsetup_bk.exe is not the installer that ran";

  for (const char* name : {"setupdir.orxi", "setupdir.orxs", "qv_uninstall.exe"}) {
    EXPECT_TRUE(FileExists(TempFolder() + name)) << name << " missing in the temp folder";
  }

  const std::string uninstallKey =
      "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Qelvo电子印章阅读器";
  EXPECT_EQ(RegistryString(HKEY_LOCAL_MACHINE, uninstallKey, "UninstallString"), dir + "uninstall.exe");
  EXPECT_EQ(RegistryString(HKEY_LOCAL_MACHINE, uninstallKey, "DisplayIcon"), dir + "application.ico");
  EXPECT_EQ(RegistryString(HKEY_CLASSES_ROOT, ".esdf\\DefaultIcon", nullptr), dir + "QVStampPage.exe,0");
  EXPECT_EQ(RegistryString(HKEY_CLASSES_ROOT, ".esdf\\shell\\open\\command", nullptr),
            dir + "QVStampPage.exe \"%1\"");
  EXPECT_FALSE(RegistryKeyExists(HKEY_CURRENT_USER,
                                 "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\.esdf"));

  // The three shortcuts start their targets in the installation directory.
  const std::string programs = SpecialFolder(CSIDL_COMMON_PROGRAMS);
  const struct {
    std::string link;
    const char* target;
  } links[] = {
      {SpecialFolder(CSIDL_COMMON_DESKTOPDIRECTORY) + "\\Qelvo电子印章阅读器.lnk", "QVStampPage.exe"},
      {programs + "\\OstraQelvo\\Qelvo电子印章阅读器.lnk", "QVStampPage.exe"},
      {programs + "\\OstraQelvo\\卸载Qelvo电子印章.lnk", "uninstall.exe"},
  };
  for (const auto& expected : links) {
    const LinkInfo link = ReadShellLink(expected.link);
    EXPECT_TRUE(link.loaded) << "shortcut missing: " << qv::ui::GbkToUtf8(expected.link);
    EXPECT_EQ(link.target, dir + expected.target) << qv::ui::GbkToUtf8(expected.link);
    EXPECT_EQ(link.workingDirectory, dir) << qv::ui::GbkToUtf8(expected.link);
  }

  // The seven registrations, seen through what the sample's controls, scripts and
  // ZuduSetup.exe leave behind.
  for (const char* control : {"docrenderocx", "ConvertSeal", "ReadKeyInfo", "SealViews"}) {
    EXPECT_EQ(RegistryString(HKEY_LOCAL_MACHINE, std::string("SOFTWARE\\QVStampSample\\Controls\\") + control, "Path"),
              dir + control + ".ocx")
        << control << " not registered";
  }
  EXPECT_EQ(RegistryString(HKEY_LOCAL_MACHINE, "SOFTWARE\\QVStampSample\\Scripts", "uninstall.reg"), "卸载信息");
  EXPECT_EQ(RegistryString(HKEY_LOCAL_MACHINE, "SOFTWARE\\QVStampSample\\Scripts", "shell.reg"), "文件关联");
  std::string zudu;
  ASSERT_TRUE(ReadWholeFile(SpecialFolder(CSIDL_COMMON_APPDATA) + "\\QVStampSample\\zudusetup.txt", zudu))
      << "ZuduSetup.exe did not run";
  // Started by its bare name from the folder of the last entry ("\zudu\readme.txt"). The
  // shell quotes the program as it was named (Wine) or by its full path (Windows).
  const std::optional<std::string> commandLine = RecordValue(zudu, "CommandLine");
  EXPECT_TRUE(commandLine == "\"ZuduSetup.exe\" /sp- /silent /norestart" ||
              commandLine == "\"" + dir + "zudu\\ZuduSetup.exe\" /sp- /silent /norestart")
      << commandLine.value_or("(none)");
  EXPECT_EQ(RecordValue(zudu, "CurrentDirectory"), dir + "zudu");
  EXPECT_EQ(RecordValue(zudu, "Module"), dir + "zudu\\ZuduSetup.exe");
}

void ExpectNoStepAfterExtraction() {
  const std::string dir = InstallDir();
  EXPECT_FALSE(FileExists(dir + "qvsetup_bk.exe"));
  EXPECT_FALSE(RegistryString(HKEY_LOCAL_MACHINE,
                              "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Qelvo电子印章阅读器",
                              "UninstallString"));
  EXPECT_FALSE(RegistryKeyExists(HKEY_CLASSES_ROOT, ".esdf\\shell\\open\\command"));
  EXPECT_FALSE(FileExists(SpecialFolder(CSIDL_COMMON_DESKTOPDIRECTORY) + "\\Qelvo电子印章阅读器.lnk"));
  EXPECT_FALSE(DirectoryExists(SpecialFolder(CSIDL_COMMON_PROGRAMS) + "\\OstraQelvo"));
}

}  // namespace qv::e2e
