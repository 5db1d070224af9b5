// An output file written under a temporary name beside its final name, so that a failed
// run leaves no partial file behind. The temporary file is removed when the object goes
// away, unless Commit renamed it to its final name.
//
// Order of calls: Open, write through file(), Close (which reports write errors that
// only show when the data is flushed), then Commit. CommitAll commits several files and,
// if one rename fails, removes those already renamed, so that either all appear or none.
#pragma once

#include <cstdio>
#include <filesystem>
#include <initializer_list>
#include <string>

#include "status.h"
#include "unique_file.h"

namespace qvpack {

class StagedFile {
 public:
  StagedFile(std::filesystem::path dir, std::string final_name);
  ~StagedFile();
  StagedFile(const StagedFile&) = delete;
  StagedFile& operator=(const StagedFile&) = delete;

  Status Open();
  std::FILE* file() const { return file_.get(); }
  Status Close();
  Status Commit();
  // Removes the committed final file again (used when a later file cannot be committed).
  void Withdraw();

  // The final file's path as text for messages.
  std::string shown() const;

 private:
  std::filesystem::path temp_;
  std::filesystem::path final_;
  UniqueFile file_;
  bool committed_ = false;
};

Status CommitAll(std::initializer_list<StagedFile*> files);

}  // namespace qvpack
