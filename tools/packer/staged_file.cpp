#include "staged_file.h"

#include <system_error>
#include <vector>

#include "host_text.h"

namespace qvpack {

namespace fs = std::filesystem;

StagedFile::StagedFile(fs::path dir, std::string final_name)
    : temp_(dir / (final_name + ".partial")), final_(dir / final_name) {}

StagedFile::~StagedFile() {
  file_.reset();
  if (!committed_) {
    std::error_code ec;
    fs::remove(temp_, ec);
  }
}

std::string StagedFile::shown() const { return NarrowPath(final_); }

Status StagedFile::Open() {
  file_.reset(OpenFile(temp_, "wb"));
  if (!file_) return Status::Fail(ExitCode::kOutputFailed, "cannot create " + NarrowPath(temp_));
  return Status::Ok();
}

Status StagedFile::Close() {
  std::FILE* f = file_.release();
  if (!f) return Status::Ok();
  bool failed = std::ferror(f) != 0;
  if (std::fclose(f) != 0) failed = true;
  if (failed) return Status::Fail(ExitCode::kOutputFailed, "cannot write " + NarrowPath(temp_));
  return Status::Ok();
}

Status StagedFile::Commit() {
  std::error_code ec;
  fs::rename(temp_, final_, ec);
  if (ec) {
    return Status::Fail(ExitCode::kOutputFailed, "cannot rename " + NarrowPath(temp_) + " to " + shown() + ": " +
                                                     ec.message());
  }
  committed_ = true;
  return Status::Ok();
}

void StagedFile::Withdraw() {
  if (!committed_) return;
  std::error_code ec;
  fs::remove(final_, ec);
}

Status CommitAll(std::initializer_list<StagedFile*> files) {
  std::vector<StagedFile*> done;
  for (StagedFile* file : files) {
    Status s = file->Commit();
    if (!s.ok()) {
      for (StagedFile* d : done) d->Withdraw();
      return s;
    }
    done.push_back(file);
  }
  return Status::Ok();
}

}  // namespace qvpack
