#include "payload_generator.h"

#include <cmath>
#include <cstdio>
#include <fstream>
#include <random>
#include <stdexcept>
#include <vector>

namespace qvbench {
namespace {

namespace fs = std::filesystem;

// mt19937 output is fixed by the standard; the arithmetic on it is ours, so the payload
// does not depend on a library's distribution classes.
class Rng {
 public:
  explicit Rng(std::uint32_t seed) : gen_(seed) {}
  std::uint32_t Next() { return static_cast<std::uint32_t>(gen_()); }
  std::uint32_t Below(std::uint32_t n) { return n ? Next() % n : 0; }
  double Unit() { return (Next() >> 8) * (1.0 / 16777216.0); }
  // Skewed towards small values, like word frequencies.
  std::uint32_t Zipfish(std::uint32_t n) { return static_cast<std::uint32_t>(n * std::pow(Unit(), 3.0)); }

 private:
  std::mt19937 gen_;
};

std::vector<std::string> MakeWords(Rng& rng, int count) {
  std::vector<std::string> words;
  for (int i = 0; i < count; ++i) {
    std::string w;
    int len = 2 + static_cast<int>(rng.Below(9));
    for (int j = 0; j < len; ++j) w.push_back(static_cast<char>('a' + rng.Zipfish(26)));
    words.push_back(w);
  }
  return words;
}

void AppendUtf8(std::string& out, std::uint32_t cp) {
  out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
  out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
  out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
}

std::string Prose(Rng& rng, const std::vector<std::string>& words, std::size_t size) {
  std::string s;
  while (s.size() < size) {
    int sentence = 5 + static_cast<int>(rng.Below(15));
    for (int i = 0; i < sentence; ++i) {
      std::string w = words[rng.Zipfish(static_cast<std::uint32_t>(words.size()))];
      if (i == 0) w[0] = static_cast<char>(w[0] - 'a' + 'A');
      s += w;
      s += i + 1 == sentence ? ". " : " ";
    }
    if (rng.Below(6) == 0) s += "\r\n\r\n";
  }
  s.resize(size);
  return s;
}

std::string ChineseText(Rng& rng, std::size_t size) {
  // A few thousand common characters, skewed, with punctuation and line breaks.
  std::string s;
  while (s.size() < size) {
    int clause = 4 + static_cast<int>(rng.Below(16));
    for (int i = 0; i < clause; ++i) AppendUtf8(s, 0x4E00 + rng.Zipfish(3500));
    AppendUtf8(s, rng.Below(3) ? 0xFF0C : 0x3002);  // ，or 。
    if (rng.Below(10) == 0) s += "\r\n";
  }
  s.resize(size);
  return s;
}

std::string LogText(Rng& rng, const std::vector<std::string>& words, std::size_t size) {
  static const char* const kLevels[] = {"INFO", "INFO", "INFO", "DEBUG", "WARN", "ERROR"};
  std::string s;
  unsigned t = 0;
  char line[256];
  while (s.size() < size) {
    t += rng.Below(5000);
    std::snprintf(line, sizeof line, "2024-06-%02u %02u:%02u:%02u.%03u [%s] %s.%s: %s %s %u\n", 1 + t / 86400000 % 28,
                  t / 3600000 % 24, t / 60000 % 60, t / 1000 % 60, t % 1000, kLevels[rng.Below(6)],
                  words[rng.Zipfish(64)].c_str(), words[rng.Zipfish(200)].c_str(),
                  words[rng.Zipfish(static_cast<std::uint32_t>(words.size()))].c_str(),
                  words[rng.Zipfish(static_cast<std::uint32_t>(words.size()))].c_str(), rng.Below(100000));
    s += line;
  }
  s.resize(size);
  return s;
}

std::string ConfigText(Rng& rng, const std::vector<std::string>& words, std::size_t size) {
  std::string s = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<settings>\r\n";
  char line[256];
  while (s.size() < size) {
    std::snprintf(line, sizeof line, "  <item name=\"%s_%s\" type=\"%s\" value=\"%u\" enabled=\"%s\"/>\r\n",
                  words[rng.Zipfish(300)].c_str(), words[rng.Zipfish(300)].c_str(),
                  rng.Below(2) ? "int" : "string", rng.Below(65536), rng.Below(4) ? "true" : "false");
    s += line;
  }
  s.resize(size);
  return s;
}

// Binary shaped like program code: a small set of instruction-like byte patterns with
// varying operands, pointer tables with rising addresses, zero padding and string tables.
std::string ProgramBinary(Rng& rng, const std::vector<std::string>& words, std::size_t size) {
  std::vector<std::string> patterns;
  for (int i = 0; i < 300; ++i) {
    std::string p;
    int len = 1 + static_cast<int>(rng.Below(6));
    for (int j = 0; j < len; ++j) p.push_back(static_cast<char>(rng.Next()));
    patterns.push_back(p);
  }
  std::string s;
  std::uint32_t address = 0x401000;
  while (s.size() < size) {
    switch (rng.Below(10)) {
      case 0: {  // pointer table
        int n = 8 + static_cast<int>(rng.Below(64));
        for (int i = 0; i < n; ++i) {
          address += 4 + rng.Below(64);
          for (int b = 0; b < 4; ++b) s.push_back(static_cast<char>(address >> (8 * b)));
        }
        break;
      }
      case 1:  // alignment padding
        s.append(16 + rng.Below(512), '\0');
        break;
      case 2: {  // string table
        int n = 4 + static_cast<int>(rng.Below(32));
        for (int i = 0; i < n; ++i) {
          s += words[rng.Zipfish(static_cast<std::uint32_t>(words.size()))];
          s.push_back('\0');
        }
        break;
      }
      default: {  // code
        int n = 16 + static_cast<int>(rng.Below(256));
        for (int i = 0; i < n; ++i) {
          s += patterns[rng.Zipfish(300)];
          if (rng.Below(3) == 0) {
            std::uint32_t operand = rng.Below(4) ? rng.Below(256) : rng.Next();
            for (int b = 0; b < 4; ++b) s.push_back(static_cast<char>(operand >> (8 * b)));
          }
        }
      }
    }
  }
  s.resize(size);
  return s;
}

// Already compressed data (images, archives): no redundancy left.
std::string CompressedData(Rng& rng, std::size_t size) {
  std::string s(size, '\0');
  for (std::size_t i = 0; i < size; i += 4) {
    std::uint32_t v = rng.Next();
    for (std::size_t b = 0; b < 4 && i + b < size; ++b) s[i + b] = static_cast<char>(v >> (8 * b));
  }
  return s;
}

void Write(const fs::path& path, const std::string& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

}  // namespace

PayloadStats GeneratePayload(const fs::path& root, std::uint32_t seed, std::uint64_t target_bytes, int file_count) {
  Rng rng(seed);
  const std::vector<std::string> words = MakeWords(rng, 4000);
  static const char* const kFolders[] = {
      "bin", "bin/plugins", "bin/plugins/pdf", "res", "res/images", "res/skins/default", "doc",
      u8"doc/说明", "lang/zh-CN", "lang/en-US", "fonts", u8"templates/印章"};
  // Log-uniform sizes from 1 KiB to 4 MiB, scaled to the target total.
  std::vector<double> weights(file_count);
  double sum = 0;
  for (double& w : weights) sum += (w = std::exp(std::log(1024.0) + rng.Unit() * std::log(4096.0)));
  PayloadStats stats;
  for (int i = 0; i < file_count; ++i) {
    std::size_t size = static_cast<std::size_t>(weights[i] / sum * static_cast<double>(target_bytes)) + 1;
    std::string folder = kFolders[rng.Below(sizeof kFolders / sizeof kFolders[0])];
    char name[64];
    std::string content;
    std::uint32_t kind = rng.Below(20);
    if (kind < 9) {  // text, 45%
      static const char* const kExt[] = {".txt", ".log", ".xml", ".htm"};
      std::uint32_t which = rng.Below(5);
      content = which == 0   ? LogText(rng, words, size)
                : which == 1 ? ConfigText(rng, words, size)
                : which == 2 ? ChineseText(rng, size)
                             : Prose(rng, words, size);
      std::snprintf(name, sizeof name, "file%03d%s", i, kExt[which % 4]);
      stats.text_bytes += size;
    } else if (kind < 16) {  // binary, 35%
      static const char* const kExt[] = {".dll", ".exe", ".ocx", ".dat"};
      content = ProgramBinary(rng, words, size);
      std::snprintf(name, sizeof name, "module%03d%s", i, kExt[rng.Below(4)]);
      stats.binary_bytes += size;
    } else {  // already compressed, 20%
      static const char* const kExt[] = {".png", ".jpg", ".cab", ".zip"};
      content = CompressedData(rng, size);
      std::snprintf(name, sizeof name, "packed%03d%s", i, kExt[rng.Below(4)]);
      stats.compressed_bytes += size;
    }
    Write(root / fs::u8path(folder) / name, content);
    ++stats.files;
    stats.bytes += size;
  }
  return stats;
}

}  // namespace qvbench
