#include "pack.h"

#include <algorithm>
#include <memory>
#include <new>
#include <system_error>
#include <vector>

#include "blob_names.h"
#include "host_text.h"
#include "index_builder.h"
#include "installer/package/catalog.h"
#include "installer/package/sm3.h"
#include "payload_scan.h"
#include "progress.h"
#include "staged_file.h"
#include "unique_file.h"

namespace qvpack {
namespace {

namespace fs = std::filesystem;
namespace pf = qv::package;

// Reads exactly `size` bytes of a file into memory and makes sure there is no more: the
// size was taken when the folder was walked, and a file that has grown or shrunk since
// would no longer match its record.
Status ReadWholeFile(const PayloadFile& file, std::unique_ptr<std::uint8_t[]>& data) {
  const auto size = static_cast<std::size_t>(file.size);
  data.reset(new (std::nothrow) std::uint8_t[size]);
  if (!data) {
    return Status::Fail(ExitCode::kInternal, "out of memory reading " + NarrowPath(file.path));
  }
  UniqueFile in(OpenFile(file.path, "rb"));
  if (!in) return Status::Fail(ExitCode::kUnreadable, "cannot open " + NarrowPath(file.path));
  std::size_t got = std::fread(data.get(), 1, size, in.get());
  if (std::ferror(in.get())) return Status::Fail(ExitCode::kUnreadable, "cannot read " + NarrowPath(file.path));
  if (got != size || std::fgetc(in.get()) != EOF) {
    return Status::Fail(ExitCode::kFileChanged, "file size changed while it was read (" +
                                                    std::to_string(file.size) + " bytes expected): " +
                                                    NarrowPath(file.path));
  }
  if (std::ferror(in.get())) return Status::Fail(ExitCode::kUnreadable, "cannot read " + NarrowPath(file.path));
  return Status::Ok();
}

// Writes the stream blob, filling in each entry's offset, length and digest.
Status WriteStream(const std::vector<PayloadFile>& files, std::uint64_t total, const PackOptions& options,
                   StagedFile& out, std::vector<IndexEntry>& entries) {
  LzmaAloneWriter writer;
  Status s = writer.Begin(out.file(), out.shown(), total, options.preset);
  if (!s.ok()) return s;
  Progress progress(options.progress, files.size(), total);
  entries.clear();
  entries.reserve(files.size());
  std::uint64_t offset = 0;
  for (const PayloadFile& file : files) {
    if (options.before_read) options.before_read(file.path);
    std::unique_ptr<std::uint8_t[]> data;
    s = ReadWholeFile(file, data);
    if (!s.ok()) return s;
    const auto size = static_cast<std::size_t>(file.size);

    IndexEntry entry;
    entry.name = file.name;
    entry.offset = static_cast<std::uint32_t>(offset);
    entry.length = static_cast<std::uint32_t>(size);
    if (!pf::TrySm3Digest(data.get(), size, entry.digest)) {
      return Status::Fail(ExitCode::kInternal, "libcrypto provides no SM3 digest");
    }
    entries.push_back(std::move(entry));

    if (options.scramble) pf::Scramble(data.get(), size);
    s = writer.Write(data.get(), size);
    if (!s.ok()) return s;
    offset += size;
    progress.Update(entries.size(), offset, writer.bytes_out());
  }
  return writer.Finish();
}

Status WriteIndex(const std::vector<IndexEntry>& entries, const PackOptions& options, StagedFile& out) {
  std::vector<std::uint8_t> index = BuildIndex(entries, options.scramble);
  if (index.size() > 0xFFFFFFFFu) {
    return Status::Fail(ExitCode::kStreamTooLarge, "the package index would pass 4 GiB");
  }
  LzmaAloneWriter writer;
  Status s = writer.Begin(out.file(), out.shown(), index.size(), options.preset);
  if (!s.ok()) return s;
  s = writer.Write(index.data(), index.size());
  if (!s.ok()) return s;
  return writer.Finish();
}

// True when `inner` is `outer` or lies below it (after resolving links and dots).
fs::path Resolved(const fs::path& path, std::error_code& ec) {
  fs::path resolved = fs::weakly_canonical(path, ec);
  if (!resolved.has_filename() && resolved.has_relative_path()) resolved = resolved.parent_path();  // "x/"
  return resolved;
}

bool IsWithin(const fs::path& inner, const fs::path& outer) {
  std::error_code ec;
  const fs::path a = Resolved(inner, ec);
  if (ec) return false;
  const fs::path b = Resolved(outer, ec);
  if (ec) return false;
  auto [end_b, end_a] = std::mismatch(b.begin(), b.end(), a.begin(), a.end());
  return end_b == b.end();
}

}  // namespace

Status Pack(const fs::path& payload_dir, const fs::path& out_dir, const PackOptions& options) {
  // Blobs written into the payload would be packed by the next run.
  if (IsWithin(out_dir, payload_dir)) {
    return Status::Fail(ExitCode::kUsage, "the output folder " + NarrowPath(out_dir) +
                                              " lies inside the payload folder " + NarrowPath(payload_dir));
  }
  std::vector<PayloadFile> files;
  ScanOptions scan;
  scan.skip_empty = options.skip_empty;
  scan.warn = options.warn;
  Status s = ScanPayload(payload_dir, scan, files);
  if (!s.ok()) return s;
  std::uint64_t total = 0;
  for (const PayloadFile& file : files) total += file.size;

  std::error_code ec;
  fs::create_directories(out_dir, ec);
  if (ec) {
    return Status::Fail(ExitCode::kOutputFailed, "cannot create the output folder " + NarrowPath(out_dir) + ": " +
                                                     ec.message());
  }
  StagedFile stream(out_dir, kStreamBlobName);
  StagedFile index(out_dir, kIndexBlobName);
  std::vector<IndexEntry> entries;
  if (!(s = stream.Open()).ok()) return s;
  if (!(s = WriteStream(files, total, options, stream, entries)).ok()) return s;
  if (!(s = stream.Close()).ok()) return s;
  if (!(s = index.Open()).ok()) return s;
  if (!(s = WriteIndex(entries, options, index)).ok()) return s;
  if (!(s = index.Close()).ok()) return s;
  return CommitAll({&stream, &index});
}

}  // namespace qvpack
