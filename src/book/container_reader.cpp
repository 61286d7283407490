#include "book/container_reader.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include "book/book_features.h"
#include "book/container_format.h"
#include "book/program_file.h"
#include "book/scrambled.h"
#include "platform/paths.h"
#include "platform/temp_file.h"

namespace quire {

namespace {

// Reads the settings record field by field; reserved fields are read and dropped.
struct SettingsReader {
  BookInput& in;
  bool Mark(uint32_t mark) { return ExpectScrambledInt(in, mark); }
  bool Int(int32_t& value) { return ReadScrambledInt(in, &value); }
  bool Text(std::string& text) { return ReadScrambledText(in, &text); }
  bool ReservedInts(int count) {
    int32_t ignored = 0;
    for (int i = 0; i < count; ++i) {
      if (!ReadScrambledInt(in, &ignored))
        return false;
    }
    return true;
  }
  bool ReservedTexts(int count) {
    std::string ignored;
    for (int i = 0; i < count; ++i) {
      if (!ReadScrambledText(in, &ignored))
        return false;
    }
    return true;
  }
};

bool ReadFlag(BookInput& in, bool* flag) {
  int32_t value = 0;
  if (!ReadScrambledInt(in, &value))
    return false;
  *flag = value != 0;
  return true;
}

// A count of entries that need at least `minEntrySize` bytes each must fit in what
// remains; checked before anything is reserved for them.
bool CountFits(const BookInput& in, int32_t count, int64_t minEntrySize) {
  return count <= 0 || count <= in.Remaining() / minEntrySize;
}

bool ReadFileEntry(BookInput& in, EBookFile* e) {
  return ExpectScrambledInt(in, kFileEntryMark) && ReadScrambledText(in, &e->fileName) &&
         ReadScrambledInt(in, &e->reserved) && ReadScrambledInt(in, &e->dataOffset) &&
         ReadScrambledInt(in, &e->storedSize) && ReadFlag(in, &e->searchable) &&
         ReadFlag(in, &e->inContents) && ReadFlag(in, &e->packed) &&
         ReadScrambledText(in, &e->title) && ReadScrambledText(in, &e->description) &&
         ReadScrambledText(in, &e->keywords) && ReadScrambledText(in, &e->sortKey) &&
         ReadFlag(in, &e->expandVariables);
}

bool ReadVariableEntry(BookInput& in, EBookVariable* v) {
  return ExpectScrambledInt(in, kVariableEntryMark) && ReadScrambledText(in, &v->name) &&
         ReadScrambledText(in, &v->secondText) && ReadScrambledText(in, &v->value) &&
         ReadScrambledInt(in, &v->reserved) && ReadScrambledInt(in, &v->kind);
}

bool ReadReservedList(BookInput& in, EBookReservedList* list) {
  *list = {};
  int32_t count = 0;
  if (!ExpectScrambledInt(in, kReservedListMark) || !ReadScrambledText(in, &list->first) ||
      !ReadScrambledText(in, &list->second) || !ReadScrambledInt(in, &count)) {
    return false;
  }
  if (count > kMaxReservedTexts || !CountFits(in, count, 4))
    return false;
  for (int32_t i = 0; i < count; ++i) {
    std::string text;
    if (!ReadScrambledText(in, &text))
      return false;
    list->texts.push_back(std::move(text));
  }
  return true;
}

bool ReadDirectory(BookInput& in, std::vector<EBookFile>* directory) {
  directory->clear();
  int32_t count = 0;
  if (!ExpectScrambledInt(in, kDirectoryMark) || !ReadScrambledInt(in, &count))
    return false;
  if (!CountFits(in, count, kMinFileEntrySize))
    return false;
  if (count > 0)
    directory->reserve(static_cast<size_t>(count));
  for (int32_t i = 0; i < count; ++i) {
    EBookFile entry;
    if (!ReadFileEntry(in, &entry))
      return false;
    directory->push_back(std::move(entry));
  }
  return true;
}

bool ReadVariables(BookInput& in, EBookVariableList* list) {
  list->variables.clear();
  list->rebranded = 0;
  int32_t count = 0;
  if (!ExpectScrambledInt(in, kVariableListMark) || !ReadScrambledInt(in, &list->rebranded) ||
      !ReadScrambledInt(in, &count)) {
    return false;
  }
  if (!CountFits(in, count, kMinVariableEntrySize))
    return false;
  if (count > 0)
    list->variables.reserve(static_cast<size_t>(count));
  for (int32_t i = 0; i < count; ++i) {
    EBookVariable variable;
    if (!ReadVariableEntry(in, &variable))
      return false;
    list->variables.push_back(std::move(variable));
  }
  return true;
}

// The trailer from the last 104 bytes of an open book file.
bool ReadTrailerFrom(BookInput& in, EBookTrailer* trailer) {
  if (in.Size() < static_cast<int64_t>(kTrailerSize) ||
      !in.Seek(in.Size() - static_cast<int64_t>(kTrailerSize))) {
    return false;
  }
  EBookTrailer t;
  char id[kBookIdSize];
  if (!ExpectScrambledInt(in, kTrailerStartMark))
    return false;
  for (int32_t* field : {&t.reserved, &t.settingsPos, &t.reservedListPos, &t.directoryPos,
                         &t.dataBase, &t.variablesPos, &t.splashPos, &t.splashSize}) {
    if (!ReadScrambledInt(in, field))
      return false;
  }
  if (!in.Read(id, sizeof id))
    return false;
  if (!ExpectScrambledInt(in, kTrailerEndMark))
    return false;
  t.bookId.assign(id, strnlen(id, sizeof id));
  *trailer = std::move(t);
  return true;
}

bool HoldsNameBeyondLimits(const std::vector<EBookFile>& directory) {
  for (const EBookFile& entry : directory) {
    if (CheckStoredName(entry.fileName) == StoredNameCheck::kBeyondLimits)
      return true;
  }
  return false;
}

}  // namespace

bool ContainerReader::Open() {
  return m_input.IsOpen() || m_input.Open(m_bookFile);
}

bool ContainerReader::ReadTrailerRecord(EBookTrailer* trailer) {
  return ReadTrailerFrom(m_input, trailer);
}

ContainerResult ContainerReader::Parse(EBookSettings* settings, EBookReservedList* reserved,
                                       std::vector<EBookFile>* directory, EBookTrailer* trailer,
                                       EBookVariableList* variables) {
  if (!Open())
    return {ContainerFailure::kCannotOpen};
  if (!ReadTrailerRecord(trailer))
    return {ContainerFailure::kTrailer};
  SettingsReader reader{m_input};
  if (!m_input.Seek(trailer->settingsPos) || !VisitSettings(reader, *settings))
    return {ContainerFailure::kSettings};
  m_keepsFolders = false;
  if (!m_input.Seek(trailer->reservedListPos) || !ReadReservedList(m_input, reserved))
    return {ContainerFailure::kReservedList};
  m_keepsFolders = ReadBookFeatures(*reserved).recorded;
  if (!m_input.Seek(trailer->directoryPos) || !ReadDirectory(m_input, directory) ||
      (m_keepsFolders && HoldsNameBeyondLimits(*directory))) {
    return {ContainerFailure::kDirectory};
  }
  if (!m_input.Seek(trailer->variablesPos) || !ReadVariables(m_input, variables))
    return {ContainerFailure::kVariables};
  return {};
}

bool ContainerReader::StoredBytesFit(const EBookFile& entry, const EBookTrailer& trailer) {
  if (!Open())
    return false;
  const int64_t position = int64_t{trailer.dataBase} + entry.dataOffset;
  if (position < 0 || position > m_input.Size() || entry.storedSize < 0)
    return false;
  // A packed entry whose bytes run past the end of the book cannot decode: no file is
  // made for it. A plain one is copied as far as it goes.
  return !(entry.packed && entry.storedSize > m_input.Size() - position);
}

bool ContainerReader::WriteEntry(const EBookFile& entry, const EBookTrailer& trailer, int fd,
                                 const EntryExtractor::Change& change) {
  if (!StoredBytesFit(entry, trailer))
    return false;
  const int64_t position = int64_t{trailer.dataBase} + entry.dataOffset;
  return m_extractor.Extract(m_input, position, entry.storedSize, entry.packed, fd, change) ==
         EntryExtractor::Result::kDone;
}

bool ContainerReader::ExtractFile(const std::vector<EBookFile>& directory, size_t index,
                                  const EBookTrailer& trailer, const std::string& folder,
                                  const EntryExtractor::Change& change,
                                  const TargetFolder::FolderMade& onFolderMade) {
  if (!Open() || index >= directory.size())
    return false;
  const EBookFile& entry = directory[index];
  if (m_keepsFolders ? !IsStoredName(entry.fileName) : !IsPlainFileName(entry.fileName))
    return false;
  if (!StoredBytesFit(entry, trailer) || !m_folder.Open(folder))
    return false;
  const std::string base = folder.back() == '/' ? folder : folder + "/";
  const int fd = m_folder.CreateFile(entry.fileName, [&](const std::string& made) {
    if (onFolderMade)
      onFolderMade(base + made);
  });
  if (fd < 0)
    return false;
  bool ok = WriteEntry(entry, trailer, fd, change);
  // A program the book ships gets its owner's execute permission, so that it can be
  // started by its path; the first bytes, as written, decide.
  if (ok && IsProgramStart(m_extractor.Head()))
    fchmod(fd, 0700);
  if (close(fd) != 0)
    ok = false;
  return ok;
}

ContainerResult ReadTrailer(const std::string& bookFile, EBookTrailer* trailer) {
  BookInput in;
  if (!in.Open(bookFile))
    return {ContainerFailure::kCannotOpen};
  if (!ReadTrailerFrom(in, trailer))
    return {ContainerFailure::kTrailer};
  return {};
}

bool ExtractSplashPicture(const std::string& bookFile, int32_t position, int32_t size,
                          std::string* picturePath) {
  picturePath->clear();
  if (position == 0 && size == 0)
    return true;
  if (position <= 0 || size <= 0)
    return false;
  BookInput in;
  if (!in.Open(bookFile) || int64_t{position} + size > in.Size())
    return false;

  std::string picture;
  const int pictureFd = CreateUniqueTempFile("bmp", &picture);
  EntryExtractor extractor;
  bool ok = pictureFd >= 0 && extractor.Extract(in, position, size, /*packed=*/true, pictureFd) ==
                                  EntryExtractor::Result::kDone;
  if (pictureFd >= 0 && close(pictureFd) != 0)
    ok = false;
  if (ok) {
    *picturePath = picture;
  } else if (!picture.empty()) {
    unlink(picture.c_str());
  }
  return ok;
}

}  // namespace quire
