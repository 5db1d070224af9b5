#include "inspect.h"

#include <memory>
#include <new>
#include <string>
#include <system_error>

#include "decoded_package.h"
#include "host_text.h"
#include "installer/package/extract.h"
#include "installer/package/package_platform.h"

namespace qvpack {
namespace {

namespace fs = std::filesystem;
namespace pf = qv::package;

std::string Shown(const std::string& gbk_name) {
  std::string text = GbkToTerminal(gbk_name);
  for (char& c : text) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
  }
  return text;
}

std::string Hex(const std::uint8_t* bytes, std::size_t size) {
  static const char kDigits[] = "0123456789abcdef";
  std::string out;
  out.reserve(size * 2);
  for (std::size_t i = 0; i < size; ++i) {
    out.push_back(kDigits[bytes[i] >> 4]);
    out.push_back(kDigits[bytes[i] & 0xF]);
  }
  return out;
}

// Puts the current directory back when the unpacking is over.
class CurrentDirectoryGuard {
 public:
  CurrentDirectoryGuard() : saved_(fs::current_path(ec_)) {}
  ~CurrentDirectoryGuard() {
    if (!ec_) fs::current_path(saved_, ec_);
  }
  CurrentDirectoryGuard(const CurrentDirectoryGuard&) = delete;
  CurrentDirectoryGuard& operator=(const CurrentDirectoryGuard&) = delete;

 private:
  std::error_code ec_;
  fs::path saved_;
};

// The file path of an entry below `dest_text` in the host's narrow encoding; false when
// the name is not valid GBK.
bool DestinationPath(const std::string& dest_text, const std::string& relative_gbk, std::string& relative,
                     std::string& full) {
  if (!GbkToNarrowPath(relative_gbk, relative)) return false;
#ifdef _WIN32
  full = dest_text + '\\' + relative;
#else
  // Converted to UTF-8, a backslash byte is always a separator.
  std::string posix = relative;
  for (char& c : posix) {
    if (c == '\\') c = '/';
  }
  full = dest_text + '/' + posix;
#endif
  return true;
}

}  // namespace

Status ListPackage(const fs::path& blob_dir, std::FILE* out) {
  DecodedPackage package;
  Status s = package.Open(blob_dir, false);
  if (!s.ok()) return s;
  for (const auto& [name, entry] : package.catalog()) {
    std::fprintf(out, "%s\t%ld\t%ld\t%s\t%s\n", Shown(name).c_str(), static_cast<long>(entry.m_nLength),
                 static_cast<long>(entry.m_nOffset), entry.m_bScrambled ? "scrambled" : "plain",
                 Hex(entry.m_digest.data(), entry.m_digest.size()).c_str());
  }
  return Status::Ok();
}

Status VerifyPackage(const fs::path& blob_dir, std::FILE* out) {
  DecodedPackage package;
  Status s = package.Open(blob_dir, true);
  if (!s.ok()) return s;
  std::size_t failed = 0;
  unsigned long long bytes = 0;
  for (const auto& [name, entry] : package.catalog()) {
    const std::int32_t length = entry.m_nLength;
    std::unique_ptr<std::uint8_t[]> buffer(new (std::nothrow) std::uint8_t[length > 0 ? length : 1]);
    if (!buffer) return Status::Fail(ExitCode::kInternal, "out of memory reading " + Shown(name));
    if (length <= 0) {
      std::fprintf(stderr, "qvpack: entry of 0 bytes (the installer cannot install it): %s\n", Shown(name).c_str());
      ++failed;
    } else if (!pf::ReadEntry(name, buffer.get(), package.catalog(), length)) {
      std::fprintf(stderr, "qvpack: SM3 digest mismatch or data missing: %s\n", Shown(name).c_str());
      ++failed;
    } else {
      bytes += static_cast<unsigned long long>(length);
    }
  }
  std::fprintf(out, "%zu entries, %zu failed, %llu bytes verified\n", package.catalog().size(), failed, bytes);
  if (failed != 0) {
    return Status::Fail(ExitCode::kVerifyFailed, std::to_string(failed) + " of " +
                                                     std::to_string(package.catalog().size()) +
                                                     " entries failed verification");
  }
  return Status::Ok();
}

Status UnpackPackage(const fs::path& blob_dir, const fs::path& dest) {
  DecodedPackage package;
  Status s = package.Open(blob_dir, true);
  if (!s.ok()) return s;
  std::error_code ec;
  fs::create_directories(dest, ec);
  if (ec) return Status::Fail(ExitCode::kOutputFailed, "cannot create " + NarrowPath(dest) + ": " + ec.message());
  const std::string dest_text = NarrowPath(fs::absolute(dest, ec));
  if (ec) return Status::Fail(ExitCode::kOutputFailed, "cannot resolve " + NarrowPath(dest) + ": " + ec.message());

  std::size_t failed = 0;
  pf::ScopedExtractErrorReporter reporter([&failed](const char* text, const char*) {
    std::fprintf(stderr, "qvpack: SM3 digest mismatch or data missing, not written: %s\n",
                 Shown(text).c_str());
    ++failed;
  });
  CurrentDirectoryGuard restore;
  for (const auto& [name, entry] : package.catalog()) {
    std::string relative, full;
    if (!DestinationPath(dest_text, name.substr(1), relative, full)) {
      return Status::Fail(ExitCode::kBadPackage, "entry name is not valid GBK: " + Shown(name));
    }
    if (pf::ChangeDirectory(dest_text.c_str()) != 0) {
      return Status::Fail(ExitCode::kOutputFailed, "cannot enter " + dest_text);
    }
    if (!pf::MakeDirectoryChain(relative.c_str())) {
      return Status::Fail(ExitCode::kOutputFailed, "cannot create the folders of " + full);
    }
    const std::size_t failed_before = failed;
    if (!pf::ExtractEntry(name, package.catalog(), full) && failed == failed_before) {
      if (entry.m_nLength <= 0) {
        std::fprintf(stderr, "qvpack: entry of 0 bytes, not written: %s\n", Shown(name).c_str());
        ++failed;
        continue;
      }
      return Status::Fail(ExitCode::kOutputFailed, "cannot write " + full);
    }
  }
  if (failed != 0) {
    return Status::Fail(ExitCode::kVerifyFailed, std::to_string(failed) + " of " +
                                                     std::to_string(package.catalog().size()) +
                                                     " entries were not written");
  }
  return Status::Ok();
}

}  // namespace qvpack
