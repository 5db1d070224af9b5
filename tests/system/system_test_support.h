#pragma once
// Shared pieces of the system tests: the stand-in child program, scratch folders, files,
// environment and registry changes that are undone on scope exit.

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace qv::system::test {

// Folder of the running test program, with a trailing backslash.
std::string TestProgramFolder();
// The stand-in program sys_child.exe (see sys_child.cpp), built next to the test programs.
std::string ChildProgramPath();
// GetTempPathA: ends in a backslash.
std::string TempFolder();
// A new, empty folder below the temp folder, named after tag; trailing backslash.
std::string MakeScratchFolder(const std::string& tag);
// Copies sys_child.exe to destination (its folder must exist).
bool CopyChild(const std::string& destination);
// Replaces file by a copy of sys_child.exe without writing into the old file: the copy is
// renamed over it, so a file that is a hard link shared with other prefixes stays untouched.
bool ReplaceWithChild(const std::string& file);

bool PathExists(const std::string& path);
// -1 when the file can't be opened.
long long FileSize(const std::string& path);
bool ReadWholeFile(const std::string& path, std::string& content);
bool WriteWholeFile(const std::string& path, const std::string& content);
// The lines of a text file without their line ends; empty when it can't be read.
std::vector<std::string> ReadLines(const std::string& path);
// Deletes a folder with everything below it.
void RemoveTree(const std::string& folder);
std::string CurrentDirectory();

// Runs work on a thread of its own; true when it has finished within milliseconds. A thread
// that has not finished is left behind (a test that fails here must not hang).
bool FinishesWithin(DWORD milliseconds, std::function<void()> work);

// A name unique to this process and call, for named events.
std::string UniqueName(const char* tag);

class ScopedEnvironmentVariable {
 public:
  // value nullptr removes the variable.
  ScopedEnvironmentVariable(const char* name, const char* value);
  ~ScopedEnvironmentVariable();
  ScopedEnvironmentVariable(const ScopedEnvironmentVariable&) = delete;
  ScopedEnvironmentVariable& operator=(const ScopedEnvironmentVariable&) = delete;

 private:
  std::string name_;
  std::string old_;
  bool hadOld_ = false;
};

class ScopedCurrentDirectory {
 public:
  explicit ScopedCurrentDirectory(const std::string& folder);
  ~ScopedCurrentDirectory();
  ScopedCurrentDirectory(const ScopedCurrentDirectory&) = delete;
  ScopedCurrentDirectory& operator=(const ScopedCurrentDirectory&) = delete;

 private:
  std::string old_;
};

// One registry value of the 64-bit view, restored (or deleted when it did not exist) on
// destruction.
class ScopedRegistryValue {
 public:
  ScopedRegistryValue(HKEY root, std::string key, std::string name);
  ~ScopedRegistryValue();
  ScopedRegistryValue(const ScopedRegistryValue&) = delete;
  ScopedRegistryValue& operator=(const ScopedRegistryValue&) = delete;
  bool Set(DWORD type, const std::string& text);

 private:
  HKEY root_;
  std::string key_;
  std::string name_;
  bool hadOld_ = false;
  DWORD oldType_ = 0;
  std::vector<BYTE> oldData_;
};

// Reads a string value (null name: the default value). False when absent.
bool ReadRegistryString(HKEY root, const std::string& key, const char* name, std::string& text);
bool RegistryKeyExists(HKEY root, const std::string& key);
// Number of values of a key; -1 when it can't be opened.
int RegistryValueCount(HKEY root, const std::string& key);
bool CreateRegistryKey(HKEY root, const std::string& key);

// The events of sys_child.exe's "hold" mode: "<name>-ready" is set by the child once it runs,
// "<name>-release" lets it end. Releases on destruction.
class HoldHandshake {
 public:
  HoldHandshake();
  ~HoldHandshake();
  HoldHandshake(const HoldHandshake&) = delete;
  HoldHandshake& operator=(const HoldHandshake&) = delete;
  const std::string& name() const { return name_; }
  bool WaitReady(DWORD milliseconds) const;
  void Release() const;

 private:
  std::string name_;
  HANDLE ready_;
  HANDLE release_;
};

// A child started with CreateProcessA; terminated (if still running) and closed on destruction.
class ChildProcess {
 public:
  ChildProcess() = default;
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;
  bool Start(const std::string& program, const std::string& arguments);
  bool EndsWithin(DWORD milliseconds) const;
  DWORD ExitCode() const;

 private:
  HANDLE process_ = nullptr;
};

}  // namespace qv::system::test
