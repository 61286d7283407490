#include "book/stored_name.h"

#include <unordered_set>

namespace quire {

namespace {

bool IsControlByte(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte < 0x20 || byte == 0x7f;
}

}  // namespace

StoredNameCheck CheckStoredName(std::string_view name) {
  if (name.empty() || name.front() == '/')
    return StoredNameCheck::kInvalid;
  for (char c : name) {
    if (c == '\\' || IsControlByte(c))
      return StoredNameCheck::kInvalid;
  }
  size_t parts = 0;
  bool beyond = name.size() > kMaxStoredNameBytes;
  size_t start = 0;
  while (true) {
    const size_t slash = name.find('/', start);
    const std::string_view part = name.substr(start, slash - start);
    if (part.empty() || part == "." || part == "..")
      return StoredNameCheck::kInvalid;
    ++parts;
    if (part.size() > kMaxStoredNamePartBytes)
      beyond = true;
    if (slash == std::string_view::npos)
      break;
    start = slash + 1;
  }
  if (parts > kMaxStoredNameParts)
    beyond = true;
  return beyond ? StoredNameCheck::kBeyondLimits : StoredNameCheck::kValid;
}

bool IsPlainFileName(std::string_view name) {
  return name.find('/') == std::string_view::npos && IsStoredName(name);
}

std::vector<std::string_view> FoldersOfStoredName(std::string_view name) {
  std::vector<std::string_view> folders;
  for (size_t slash = name.find('/'); slash != std::string_view::npos;
       slash = name.find('/', slash + 1)) {
    folders.push_back(name.substr(0, slash));
  }
  return folders;
}

std::vector<size_t> NamesLeadingThroughFiles(const std::vector<std::string_view>& names) {
  std::unordered_set<std::string_view> files;
  for (std::string_view name : names) {
    if (IsStoredName(name))
      files.insert(name);
  }
  std::vector<size_t> blocked;
  for (size_t i = 0; i < names.size(); ++i) {
    if (!IsStoredName(names[i]))
      continue;
    for (std::string_view folder : FoldersOfStoredName(names[i])) {
      if (files.count(folder) != 0) {
        blocked.push_back(i);
        break;
      }
    }
  }
  return blocked;
}

std::vector<EntryName> CheckEntryNames(const std::vector<std::string_view>& names,
                                       bool keepsFolders) {
  std::vector<EntryName> verdicts;
  verdicts.reserve(names.size());
  for (std::string_view name : names) {
    switch (CheckStoredName(name)) {
      case StoredNameCheck::kInvalid:
        verdicts.push_back(EntryName::kInvalid);
        break;
      case StoredNameCheck::kBeyondLimits:
        verdicts.push_back(EntryName::kBeyondLimits);
        break;
      case StoredNameCheck::kValid:
        verdicts.push_back(keepsFolders || name.find('/') == std::string_view::npos
                               ? EntryName::kExtracted
                               : EntryName::kHoldsFolders);
        break;
    }
  }
  if (keepsFolders) {
    for (size_t blocked : NamesLeadingThroughFiles(names)) {
      if (verdicts[blocked] == EntryName::kExtracted)
        verdicts[blocked] = EntryName::kThroughFile;
    }
  }
  return verdicts;
}

const char* EntryNameProblem(EntryName verdict) {
  switch (verdict) {
    case EntryName::kExtracted:
      return "";
    case EntryName::kInvalid:
      return "not a name the reader extracts (empty, '.', '..', a leading '/', '\\' or a "
             "control byte)";
    case EntryName::kHoldsFolders:
      return "a name with folders in a book that keeps none; the reader does not extract it";
    case EntryName::kThroughFile:
      return "its folder is a file of the book; the reader does not extract it";
    case EntryName::kBeyondLimits:
      return "a name longer or deeper than the reader keeps (1024 bytes, 255 per part, 32 "
             "parts)";
  }
  return "";
}

}  // namespace quire
