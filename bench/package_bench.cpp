// package_bench: the package code against reference tools on a generated payload of about
// 200 files and 40 MB. Reports, as ratios (ours / reference, medians of several runs):
//   - decoding the stream blob (UnpackResourceToFile) against xz --decompress --format=lzma;
//   - extracting every entry as the installer does (read, descramble, SM3, write through
//     ExtractEntry) against the floor: openssl dgst -sm3 over the stream plus a plain copy;
//   - the stream blob's size and the packing time against xz --format=lzma -9e.
// Usage: package_bench [--runs N] [--pack-runs N] WORK_DIR   (WORK_DIR is emptied first)
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "blob_names.h"
#include "child_process.h"
#include "host_text.h"
#include "installer/package/blob_unpack.h"
#include "installer/package/catalog.h"
#include "installer/package/extract.h"
#include "installer/package/package_platform.h"
#include "pack.h"
#include "payload_generator.h"

namespace {

namespace fs = std::filesystem;
namespace pf = qv::package;

[[noreturn]] void Die(const std::string& why) {
  std::fprintf(stderr, "package_bench: %s\n", why.c_str());
  std::exit(1);
}

// Wall time and processor time (user + system, this process and its waited-for
// children). On a machine shared with other work the processor time is the steadier one.
struct Timing {
  double wall = 0;
  double cpu = 0;
};

double CpuSeconds() {
  double total = 0;
  for (int who : {RUSAGE_SELF, RUSAGE_CHILDREN}) {
    rusage u{};
    getrusage(who, &u);
    total += u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
  }
  return total;
}

Timing Measure(const std::function<void()>& work) {
  const double cpu = CpuSeconds();
  const auto start = std::chrono::steady_clock::now();
  work();
  return {std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), CpuSeconds() - cpu};
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const std::size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

Timing Median(const std::vector<Timing>& runs) {
  std::vector<double> wall, cpu;
  for (const Timing& t : runs) {
    wall.push_back(t.wall);
    cpu.push_back(t.cpu);
  }
  return {Median(wall), Median(cpu)};
}

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) Die("cannot read " + path.string());
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void Run(const std::vector<std::string>& argv, const std::string& out = "/dev/null") {
  if (qvbench::RunChild(argv, out) != 0) Die("failed: " + argv[0] + " " + argv[1]);
}

// The installer's extraction loop over the whole catalogue.
void ExtractAll(const pf::PackageCatalog& catalog, const fs::path& dest) {
  const std::string dest_text = dest.string();
  for (const auto& [name, entry] : catalog) {
    std::string relative;
    if (!qvpack::GbkToNarrowPath(name.substr(1), relative)) Die("bad name in the catalogue");
    std::string full = dest_text + "/" + relative;
    std::replace(full.begin() + static_cast<std::ptrdiff_t>(dest_text.size()), full.end(), '\\', '/');
    if (pf::ChangeDirectory(dest_text.c_str()) != 0) Die("cannot enter " + dest_text);
    pf::MakeDirectoryChain(relative.c_str());
    if (!pf::ExtractEntry(name, catalog, full)) Die("extraction failed: " + full);
  }
}

void PrintTimeRow(const char* what, const std::vector<Timing>& ours, const std::vector<Timing>& reference,
                  const char* reference_name, const char* aim) {
  const Timing o = Median(ours), r = Median(reference);
  std::printf("%-22s %8.3f %8.3f   %8.3f %8.3f   %-24s %7.4f %7.4f   %s\n", what, o.wall, o.cpu, r.wall, r.cpu,
              reference_name, o.wall / r.wall, o.cpu / r.cpu, aim);
}

void PrintSizeRow(const char* what, std::uint64_t ours, std::uint64_t reference, const char* reference_name,
                  const char* aim) {
  std::printf("%-22s %17llu   %17llu   %-24s %7.4f %7s   %s\n", what, static_cast<unsigned long long>(ours),
              static_cast<unsigned long long>(reference), reference_name,
              static_cast<double>(ours) / static_cast<double>(reference), "", aim);
}

}  // namespace

int main(int argc, char** argv) {
  int runs = 5;
  int pack_runs = 3;
  fs::path work;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--runs") && i + 1 < argc) {
      runs = std::max(1, std::atoi(argv[++i]));
    } else if (!std::strcmp(argv[i], "--pack-runs") && i + 1 < argc) {
      pack_runs = std::max(1, std::atoi(argv[++i]));
    } else if (work.empty() && argv[i][0] != '-') {
      work = fs::absolute(argv[i]);
    } else {
      Die("usage: package_bench [--runs N] [--pack-runs N] WORK_DIR");
    }
  }
  if (work.empty()) Die("usage: package_bench [--runs N] [--pack-runs N] WORK_DIR");
  fs::remove_all(work);
  fs::create_directories(work);
  const fs::path payload = work / "payload", blobs = work / "blobs", plain = work / "plain";
  const fs::path stream_blob = blobs / qvpack::kStreamBlobName;
  const fs::path stream_file = plain / "setupdir.orxs", index_file = plain / "setupdir.orxi";
  fs::create_directories(plain);

  qvbench::PayloadStats stats = qvbench::GeneratePayload(payload);
  std::printf("payload: %llu files, %llu bytes (text %.0f%%, binary %.0f%%, already compressed %.0f%%)\n",
              static_cast<unsigned long long>(stats.files), static_cast<unsigned long long>(stats.bytes),
              100.0 * stats.text_bytes / stats.bytes, 100.0 * stats.binary_bytes / stats.bytes,
              100.0 * stats.compressed_bytes / stats.bytes);
  std::printf("runs: %d (pack: %d), medians\n\n", runs, pack_runs);
  std::fflush(stdout);

  // Packing, ours and xz -9e over the same (scrambled) stream bytes, run by run.
  std::vector<Timing> pack_ours, pack_xz;
  std::string stream_bytes, index_bytes;
  const fs::path xz_9e = work / "xz-9e.lzma", xz_16 = work / "xz-9e-dict16.lzma";
  for (int i = 0; i < pack_runs; ++i) {
    pack_ours.push_back(Measure([&] {
      qvpack::Status s = qvpack::Pack(payload, blobs, qvpack::PackOptions{});
      if (!s.ok()) Die(s.message);
    }));
    if (i == 0) {
      stream_bytes = ReadAll(stream_blob);
      index_bytes = ReadAll(blobs / qvpack::kIndexBlobName);
      if (!pf::UnpackResourceToFile(stream_bytes.data(), stream_bytes.size(), stream_file.c_str()) ||
          !pf::UnpackResourceToFile(index_bytes.data(), index_bytes.size(), index_file.c_str())) {
        Die("our blobs do not decode");
      }
    } else if (ReadAll(stream_blob) != stream_bytes) {
      Die("packing twice gave different bytes");
    }
    pack_xz.push_back(Measure([&] {
      Run({"xz", "--format=lzma", "-9e", "--stdout", stream_file.string()}, xz_9e.string());
    }));
  }
  Run({"xz", "--format=lzma", "--lzma1=preset=9e,dict=16MiB", "--stdout", stream_file.string()}, xz_16.string());

  // Decoding the stream blob (the blob is in memory, as a resource is).
  std::vector<Timing> unpack_ours, unpack_xz;
  const fs::path decoded_ours = work / "decoded-ours", decoded_xz = work / "decoded-xz";
  for (int i = 0; i < runs; ++i) {
    unpack_ours.push_back(Measure([&] {
      if (!pf::UnpackResourceToFile(stream_bytes.data(), stream_bytes.size(), decoded_ours.c_str())) Die("decode");
    }));
    unpack_xz.push_back(Measure([&] {
      Run({"xz", "--decompress", "--format=lzma", "--stdout", stream_blob.string()}, decoded_xz.string());
    }));
  }

  // Extracting every entry, against SM3 over the same bytes plus a plain copy.
  pf::PackageCatalog catalog;
  if (!pf::LoadCatalog(index_file.string(), catalog)) Die("index does not load");
  const fs::path dest = work / "dest", copy = work / "copy";
  const fs::path saved_cwd = fs::current_path();
  std::vector<Timing> extract_ours, extract_floor;
  for (int i = 0; i < runs; ++i) {
    fs::remove_all(dest);
    fs::create_directories(dest);
    fs::remove(copy);
    extract_ours.push_back(Measure([&] { ExtractAll(catalog, dest); }));
    extract_floor.push_back(Measure([&] {
      Run({"openssl", "dgst", "-sm3", stream_file.string()});
      Run({"cp", stream_file.string(), copy.string()});
    }));
  }
  fs::current_path(saved_cwd);

  std::printf("%-22s %17s   %17s   %-24s %15s\n", "", "ours", "reference", "", "ratio");
  std::printf("%-22s %8s %8s   %8s %8s   %-24s %7s %7s   %s\n", "times in seconds", "wall", "cpu", "wall", "cpu", "",
              "wall", "cpu", "aim");
  PrintTimeRow("decode stream blob", unpack_ours, unpack_xz, "xz -d --format=lzma", "<= 1.05");
  PrintTimeRow("extract every entry", extract_ours, extract_floor, "openssl dgst -sm3 + cp", "<= 1.15");
  PrintTimeRow("pack", pack_ours, pack_xz, "xz --format=lzma -9e", "");
  PrintSizeRow("stream blob bytes", stream_bytes.size(), fs::file_size(xz_9e), "xz --format=lzma -9e", "<= 1.005");
  PrintSizeRow("stream blob bytes", stream_bytes.size(), fs::file_size(xz_16), "xz -9e dict=16MiB", "");
  std::printf("\nstream: %llu bytes plain, %zu packed (%.2f%%); index blob %zu bytes for %zu entries\n",
              static_cast<unsigned long long>(fs::file_size(stream_file)), stream_bytes.size(),
              100.0 * static_cast<double>(stream_bytes.size()) / static_cast<double>(fs::file_size(stream_file)),
              index_bytes.size(), catalog.size());
  return 0;
}
