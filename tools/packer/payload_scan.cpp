#include "payload_scan.h"

#include <algorithm>
#include <system_error>

#include "entry_names.h"
#include "host_text.h"
#include "installer/package/package_format.h"

namespace qvpack {
namespace {

namespace fs = std::filesystem;

class Walker {
 public:
  Walker(const ScanOptions& options, std::vector<PayloadFile>& files) : options_(options), files_(files) {}

  // Adds the files below `dir`, whose entry-name prefix is `prefix` (GBK, empty for
  // the payload folder itself).
  Status Walk(const fs::path& dir, const std::string& prefix) {
    std::error_code ec;
    fs::directory_iterator it(dir, ec);
    if (ec) return CannotRead(dir, ec);
    bool empty = true;
    for (; it != fs::directory_iterator(); it.increment(ec)) {
      if (ec) return CannotRead(dir, ec);
      empty = false;
      Status s = Visit(it->path(), prefix);
      if (!s.ok()) return s;
    }
    if (ec) return CannotRead(dir, ec);
    if (empty && !prefix.empty() && options_.warn) {
      options_.warn("empty folder left out (the package holds files only): " + NarrowPath(dir));
    }
    return Status::Ok();
  }

 private:
  Status Visit(const fs::path& path, const std::string& prefix) {
    std::string component;
    if (!NativeNameToGbk(path.filename(), component)) {
      return Status::Fail(ExitCode::kNoGbkForm, "file name has no GBK form: " + NarrowPath(path));
    }
    Status s = CheckComponent(component, NarrowPath(path));
    if (!s.ok()) return s;
    std::string name = prefix + '\\' + component;
    // Checked here already so that a folder loop through links ends at the limit.
    if (name.size() > kMaxEntryName) return CheckEntryName(name, NarrowPath(path));

    std::error_code ec;
    fs::file_status status = fs::status(path, ec);  // follows links
    if (ec) return CannotRead(path, ec);
    if (fs::is_directory(status)) return Walk(path, name);
    if (!fs::is_regular_file(status)) {
      return Status::Fail(ExitCode::kUnreadable, "neither a file nor a folder: " + NarrowPath(path));
    }
    std::uint64_t size = fs::file_size(path, ec);
    if (ec) return CannotRead(path, ec);
    files_.push_back({std::move(name), path, size});
    return Status::Ok();
  }

  static Status CannotRead(const fs::path& path, const std::error_code& ec) {
    return Status::Fail(ExitCode::kUnreadable, "cannot read " + NarrowPath(path) + ": " + ec.message());
  }

  const ScanOptions& options_;
  std::vector<PayloadFile>& files_;
};

// Size rules, in catalogue order so that the first fault reported is always the same.
Status CheckSizes(const ScanOptions& options, std::vector<PayloadFile>& files) {
  std::uint64_t total = 0;
  std::vector<PayloadFile> kept;
  kept.reserve(files.size());
  for (PayloadFile& file : files) {
    if (file.size == 0) {
      if (!options.skip_empty) {
        return Status::Fail(ExitCode::kEmptyFile,
                            "file of 0 bytes (the installer cannot install it; --skip-empty leaves it out): " +
                                NarrowPath(file.path));
      }
      if (options.warn) options.warn("file of 0 bytes left out: " + NarrowPath(file.path));
      continue;
    }
    if (file.size > kMaxFileSize) {
      return Status::Fail(ExitCode::kFileTooLarge,
                          "file of 2 GiB or more (" + std::to_string(file.size) + " bytes): " + NarrowPath(file.path));
    }
    total += file.size;
    if (total > static_cast<std::uint64_t>(qv::package::kMaxStreamSize)) {
      return Status::Fail(ExitCode::kStreamTooLarge,
                          "the package stream would pass 2^31-1 bytes at " + NarrowPath(file.path));
    }
    kept.push_back(std::move(file));
  }
  files = std::move(kept);
  return Status::Ok();
}

}  // namespace

Status ScanPayload(const fs::path& root, const ScanOptions& options, std::vector<PayloadFile>& files) {
  files.clear();
  std::error_code ec;
  if (!fs::is_directory(root, ec)) {
    return Status::Fail(ExitCode::kUnreadable, "payload folder cannot be read: " + NarrowPath(root) +
                                                   (ec ? ": " + ec.message() : ": not a folder"));
  }
  Walker walker(options, files);
  Status s = walker.Walk(root, std::string());
  if (!s.ok()) return s;

  // std::string compares as unsigned bytes, the catalogue's order.
  std::sort(files.begin(), files.end(),
            [](const PayloadFile& a, const PayloadFile& b) { return a.name < b.name; });
  for (const PayloadFile& file : files) {
    s = CheckEntryName(file.name, NarrowPath(file.path));
    if (!s.ok()) return s;
  }
  s = CheckSizes(options, files);
  if (!s.ok()) return s;
  if (files.empty() && options.warn) options.warn("the payload folder holds no files: the package is empty");
  std::vector<std::string> names;
  names.reserve(files.size());
  for (const PayloadFile& file : files) names.push_back(file.name);
  return CheckNameClashes(names);
}

}  // namespace qvpack
