#include "entry_names.h"

#include <cstring>
#include <map>

#include "host_text.h"
#include "installer/package/catalog.h"

namespace qvpack {
namespace {

bool IsGbkLead(unsigned char c) { return c >= 0x81 && c <= 0xFE; }

bool IsForbiddenChar(unsigned char c) {
  return c < 0x20 || std::strchr("<>:\"|?*", c) != nullptr;
}

// Windows device names, which no file may take, with or without an extension.
bool IsDeviceName(const std::string& component) {
  std::string stem = FoldEntryName(component.substr(0, component.find('.')));
  while (!stem.empty() && stem.back() == ' ') stem.pop_back();
  static const char* const kDevices[] = {"con", "prn", "aux", "nul", "conin$", "conout$"};
  for (const char* d : kDevices) {
    if (stem == d) return true;
  }
  return stem.size() == 4 && (stem.compare(0, 3, "com") == 0 || stem.compare(0, 3, "lpt") == 0) &&
         stem[3] >= '1' && stem[3] <= '9';
}

Status Unusable(const std::string& shown, const char* why) {
  return Status::Fail(ExitCode::kNameUnusable, "name cannot be installed on Windows (" + std::string(why) +
                                                   "): " + shown);
}

}  // namespace

Status CheckComponent(const std::string& component, const std::string& shown) {
  for (std::size_t i = 0; i < component.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(component[i]);
    if (IsGbkLead(c)) {
      ++i;  // a trail byte 0x5C is refused with the whole name later
    } else if (c == '\\' || c == '/') {
      return Unusable(shown, "a backslash in a file or folder name");
    }
  }
  return Status::Ok();
}

Status CheckEntryName(const std::string& name, const std::string& shown) {
  if (name.size() > kMaxEntryName) {
    return Status::Fail(ExitCode::kNameTooLong, "entry name is " + std::to_string(name.size()) +
                                                    " bytes in GBK, more than " +
                                                    std::to_string(kMaxEntryName) + ": " + shown);
  }
  // Walk the name character by character (GBK double-byte characters whole), one
  // component at a time; the leading backslash opens the first component.
  std::size_t component_start = 1;
  for (std::size_t i = 1; i <= name.size(); ++i) {
    if (i == name.size() || name[i] == '\\') {
      std::string component = name.substr(component_start, i - component_start);
      if (component.empty()) return Unusable(shown, "empty folder name");
      char last = component.back();
      if (last == '.' || last == ' ') return Unusable(shown, "a name ending in a dot or a space");
      if (IsDeviceName(component)) return Unusable(shown, "a Windows device name");
      component_start = i + 1;
      continue;
    }
    unsigned char c = static_cast<unsigned char>(name[i]);
    if (IsGbkLead(c)) {
      if (i + 1 >= name.size()) return Unusable(shown, "a broken GBK character");
      unsigned char trail = static_cast<unsigned char>(name[i + 1]);
      if (trail == '\\') return Unusable(shown, "a GBK character whose second byte is a backslash");
      ++i;
      continue;
    }
    if (IsForbiddenChar(c)) return Unusable(shown, "a character Windows refuses in file names");
  }
  // The installer's own rule, so that every name written here loads.
  if (!qv::package::IsSafeEntryName(name)) return Unusable(shown, "refused by the installer");
  return Status::Ok();
}

std::string FoldEntryName(const std::string& name) {
  std::string folded = name;
  for (std::size_t i = 0; i < folded.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(folded[i]);
    if (IsGbkLead(c)) {
      ++i;  // the trail byte may look like a letter; it is part of the character
    } else if (c >= 'A' && c <= 'Z') {
      folded[i] = static_cast<char>(c - 'A' + 'a');
    }
  }
  return folded;
}

Status CheckNameClashes(const std::vector<std::string>& names) {
  // Every folded file name and every folded folder on a file's path, with the name it
  // came from. Two files with one folded name clash, and so do a file and a folder.
  // Folders that differ only in case merge into one on Windows and lose nothing.
  std::map<std::string, std::string> files;
  std::map<std::string, std::string> folders;
  auto clash = [](const std::string& a, const std::string& b) {
    return Status::Fail(ExitCode::kNameClash, "names differ only in letter case and would be one file on Windows: " +
                                                  GbkToTerminal(a) + " and " + GbkToTerminal(b));
  };
  for (const std::string& name : names) {
    std::string folded = FoldEntryName(name);
    auto [it, inserted] = files.emplace(folded, name);
    if (!inserted) return clash(it->second, name);
    for (std::size_t i = 1; i < name.size(); ++i) {
      unsigned char c = static_cast<unsigned char>(name[i]);
      if (IsGbkLead(c)) {
        ++i;
      } else if (c == '\\') {
        folders.emplace(folded.substr(0, i), name.substr(0, i));
      }
    }
  }
  for (const auto& [folded, folder] : folders) {
    auto it = files.find(folded);
    if (it != files.end()) return clash(it->second, folder);
  }
  return Status::Ok();
}

}  // namespace qvpack
