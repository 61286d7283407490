// Lays a book out as: image, file data, settings record, reserved list, directory,
// variable list, splash picture, trailer. The reader only follows the trailer's positions,
// so any order would do; data first lets large files stream straight through, and the
// splash picture comes after the records so that its position is never 0, which would
// read as "no picture" (a book without image or file data would otherwise start with it).
#include "book/book_writer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

#include "book/container_format.h"
#include "book/lz.h"
#include "book/scrambled.h"
#include "platform/file_write.h"

namespace quire {

namespace {

constexpr size_t kChunkSize = 1 << 20;

// Where the book's bytes go: a string or a file descriptor.
class Output {
 public:
  explicit Output(std::string* bytes) : m_bytes(bytes) {}
  explicit Output(int fd) : m_fd(fd) {}

  bool Append(std::string_view data) {
    m_position += static_cast<int64_t>(data.size());
    if (m_bytes) {
      m_bytes->append(data);
      return true;
    }
    return WriteAllBytes(m_fd, data);
  }
  int64_t Position() const { return m_position; }

 private:
  std::string* m_bytes = nullptr;
  int m_fd = -1;
  int64_t m_position = 0;
};

bool Fail(std::string* error, const std::string& reason) {
  if (error)
    *error = reason;
  return false;
}

bool FitsPosition(int64_t value) {
  return value <= std::numeric_limits<int32_t>::max();
}

bool ReadFile(const std::string& path, std::string* out) {
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0)
    return false;
  out->clear();
  char buffer[65536];
  bool ok = true;
  for (;;) {
    ssize_t n = read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR)
      continue;
    if (n < 0)
      ok = false;
    if (n <= 0)
      break;
    out->append(buffer, static_cast<size_t>(n));
  }
  close(fd);
  return ok;
}

// Copies a file into the output, XORed with `key` (0: unchanged), in chunks.
bool StreamFile(const std::string& path, uint8_t key, Output& out, int64_t* copied) {
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0)
    return false;
  std::vector<char> buffer(kChunkSize);
  bool ok = true;
  *copied = 0;
  for (;;) {
    ssize_t n = read(fd, buffer.data(), buffer.size());
    if (n < 0 && errno == EINTR)
      continue;
    if (n < 0)
      ok = false;
    if (n <= 0)
      break;
    if (key != 0)
      XorBytes(buffer.data(), static_cast<size_t>(n), key);
    if (!out.Append(std::string_view(buffer.data(), static_cast<size_t>(n)))) {
      ok = false;
      break;
    }
    *copied += n;
  }
  close(fd);
  return ok;
}

// Writes the settings record field by field, reserved fields as 0 and empty texts.
struct SettingsWriter {
  std::string* out;
  bool Mark(uint32_t mark) {
    AppendScrambledInt(out, static_cast<int32_t>(mark));
    return true;
  }
  bool Int(int32_t& value) {
    AppendScrambledInt(out, value);
    return true;
  }
  bool Text(std::string& text) {
    AppendScrambledText(out, text);
    return true;
  }
  bool ReservedInts(int count) {
    for (int i = 0; i < count; ++i)
      AppendScrambledInt(out, 0);
    return true;
  }
  bool ReservedTexts(int count) {
    for (int i = 0; i < count; ++i)
      AppendScrambledText(out, "");
    return true;
  }
};

std::string DirectoryBlock(const std::vector<EBookFile>& entries) {
  std::string out;
  AppendScrambledInt(&out, static_cast<int32_t>(kDirectoryMark));
  AppendScrambledInt(&out, static_cast<int32_t>(entries.size()));
  for (const EBookFile& e : entries) {
    AppendScrambledInt(&out, static_cast<int32_t>(kFileEntryMark));
    AppendScrambledText(&out, e.fileName);
    AppendScrambledInt(&out, 0);  // reserved: always 0, whatever an entry read elsewhere held
    AppendScrambledInt(&out, e.dataOffset);
    AppendScrambledInt(&out, e.storedSize);
    AppendScrambledInt(&out, e.searchable ? 1 : 0);
    AppendScrambledInt(&out, e.inContents ? 1 : 0);
    AppendScrambledInt(&out, e.packed ? 1 : 0);
    AppendScrambledText(&out, e.title);
    AppendScrambledText(&out, e.description);
    AppendScrambledText(&out, e.keywords);
    AppendScrambledText(&out, e.sortKey);
    AppendScrambledInt(&out, e.expandVariables ? 1 : 0);
  }
  return out;
}

std::string VariableBlock(const EBookVariableList& list) {
  std::string out;
  AppendScrambledInt(&out, static_cast<int32_t>(kVariableListMark));
  AppendScrambledInt(&out, list.rebranded);
  AppendScrambledInt(&out, static_cast<int32_t>(list.variables.size()));
  for (const EBookVariable& v : list.variables) {
    AppendScrambledInt(&out, static_cast<int32_t>(kVariableEntryMark));
    AppendScrambledText(&out, v.name);
    AppendScrambledText(&out, v.secondText);
    AppendScrambledText(&out, v.value);
    AppendScrambledInt(&out, v.reserved);
    AppendScrambledInt(&out, v.kind);
  }
  return out;
}

std::string ReservedListBlock(const BookFeatures& features) {
  const EBookReservedList list = WriteBookFeatures(features);
  std::string out;
  AppendScrambledInt(&out, static_cast<int32_t>(kReservedListMark));
  AppendScrambledText(&out, list.first);
  AppendScrambledText(&out, list.second);
  AppendScrambledInt(&out, static_cast<int32_t>(list.texts.size()));
  for (const std::string& text : list.texts)
    AppendScrambledText(&out, text);
  return out;
}

std::string Trailer(const EBookTrailer& t) {
  std::string out;
  AppendScrambledInt(&out, static_cast<int32_t>(kTrailerStartMark));
  for (int32_t v : {t.reserved, t.settingsPos, t.reservedListPos, t.directoryPos, t.dataBase,
                    t.variablesPos, t.splashPos, t.splashSize}) {
    AppendScrambledInt(&out, v);
  }
  std::string id = t.bookId.substr(0, std::min(t.bookId.size(), kBookIdSize - 1));
  id.resize(kBookIdSize, '\0');
  out += id;
  AppendScrambledInt(&out, static_cast<int32_t>(kTrailerEndMark));
  return out;
}

// The payload as it is written: the image, the data of each file, then the records.
class Payload {
 public:
  explicit Payload(Output* out) : m_out(*out) {}

  bool Image(const std::string& imagePath, std::string_view image, std::string* error) {
    if (!imagePath.empty()) {
      int64_t copied = 0;
      if (!StreamFile(imagePath, 0, m_out, &copied))
        return Fail(error, "cannot read the reader image " + imagePath);
    } else if (!m_out.Append(image)) {
      return Fail(error, "cannot write the book");
    }
    m_dataBase = m_out.Position();
    if (!FitsPosition(m_dataBase))
      return Fail(error, "the reader image is too large");
    return true;
  }

  bool Stored(std::string_view stored, EBookFile* entry, std::string* error) {
    const int64_t offset = m_out.Position() - m_dataBase;
    // Scrambled in blocks, so that a large file is not copied whole once more.
    std::string block;
    for (size_t at = 0; at < stored.size(); at += kChunkSize) {
      block.assign(stored.substr(at, kChunkSize));
      XorBytes(block.data(), block.size(), kDataKey);
      if (!m_out.Append(block))
        return Fail(error, "cannot write the book");
    }
    return Placed(offset, static_cast<int64_t>(stored.size()), entry, error);
  }

  bool FromPath(const std::string& path, EBookFile* entry, std::string* error) {
    const int64_t offset = m_out.Position() - m_dataBase;
    int64_t stored = 0;
    if (!StreamFile(path, kDataKey, m_out, &stored))
      return Fail(error, "cannot read or store " + path);
    return Placed(offset, stored, entry, error);
  }

  bool Records(const BookSpec& bookSpec, const std::vector<EBookFile>& entries,
               std::string* error) {
    EBookSettings settings = bookSpec.settings;
    settings.fileCount = bookSpec.fileCountOverride >= 0 ? bookSpec.fileCountOverride
                                                         : static_cast<int32_t>(entries.size());
    std::string record;
    SettingsWriter writer{&record};
    VisitSettings(writer, settings);

    if (WriteBookFeatures(bookSpec.features).texts.size() > static_cast<size_t>(kMaxReservedTexts))
      return Fail(error, "the book's feature record holds too many texts");
    const std::string reserved = ReservedListBlock(bookSpec.features);
    const std::string directory = DirectoryBlock(entries);
    const std::string variables = VariableBlock(bookSpec.variables);
    std::string splash;
    if (!bookSpec.splashBitmap.empty()) {
      splash = LzPack(bookSpec.splashBitmap);
      XorBytes(splash.data(), splash.size(), kDataKey);
    }
    const int64_t end =
        m_out.Position() + static_cast<int64_t>(record.size() + reserved.size() + directory.size() +
                                                variables.size() + splash.size());
    if (!FitsPosition(end))
      return Fail(error, "the book is larger than 2 GB");

    EBookTrailer trailer;
    trailer.dataBase = static_cast<int32_t>(m_dataBase);
    trailer.settingsPos = static_cast<int32_t>(m_out.Position());
    trailer.reservedListPos = trailer.settingsPos + static_cast<int32_t>(record.size());
    trailer.directoryPos = trailer.reservedListPos + static_cast<int32_t>(reserved.size());
    trailer.variablesPos = trailer.directoryPos + static_cast<int32_t>(directory.size());
    if (!splash.empty()) {
      trailer.splashPos = trailer.variablesPos + static_cast<int32_t>(variables.size());
      trailer.splashSize = static_cast<int32_t>(splash.size());
    }
    trailer.bookId = bookSpec.bookId;
    if (!m_out.Append(record) || !m_out.Append(reserved) || !m_out.Append(directory) ||
        !m_out.Append(variables) || !m_out.Append(splash) || !m_out.Append(Trailer(trailer))) {
      return Fail(error, "cannot write the book");
    }
    return true;
  }

 private:
  bool Placed(int64_t offset, int64_t stored, EBookFile* entry, std::string* error) {
    if (!FitsPosition(offset) || !FitsPosition(stored) || !FitsPosition(m_out.Position()))
      return Fail(error, "the book is larger than 2 GB");
    entry->dataOffset = static_cast<int32_t>(offset);
    entry->storedSize = static_cast<int32_t>(stored);
    return true;
  }

  Output& m_out;
  int64_t m_dataBase = 0;
};

bool WriteTo(const BookSpec& bookSpec, Output& out, std::string* error) {
  Payload payload(&out);
  if (!payload.Image(bookSpec.imagePath, bookSpec.image, error))
    return false;
  std::vector<EBookFile> entries;
  entries.reserve(bookSpec.files.size());
  for (const BookFileInput& input : bookSpec.files) {
    EBookFile entry = input.entry;
    bool ok = false;
    if (entry.packed && !input.packedData.empty()) {
      ok = payload.Stored(input.packedData, &entry, error);
    } else if (!input.sourcePath.empty() && !entry.packed) {
      ok = payload.FromPath(input.sourcePath, &entry, error);
    } else {
      std::string contents;
      if (!input.sourcePath.empty() && !ReadFile(input.sourcePath, &contents))
        return Fail(error, "cannot read " + input.sourcePath);
      const std::string& plain = input.sourcePath.empty() ? input.data : contents;
      ok = entry.packed ? payload.Stored(LzPack(plain), &entry, error)
                        : payload.Stored(plain, &entry, error);
    }
    if (!ok)
      return false;
    entries.push_back(std::move(entry));
  }
  return payload.Records(bookSpec, entries, error);
}

// A temporary file beside `path`, made for writing: mode 0600 until it is finished.
int CreateBeside(const std::string& path, std::string* temp, std::string* error) {
  std::string pattern = path + ".partXXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  const int fd = mkostemp(name.data(), O_CLOEXEC);
  if (fd < 0) {
    Fail(error, "cannot create a file beside " + path + ": " + strerror(errno));
    return -1;
  }
  *temp = name.data();
  return fd;
}

// Makes the finished temporary file executable and renames it to `path`; removes it on a
// failure.
bool Complete(int fd, const std::string& temp, const std::string& path, bool ok,
              std::string* error) {
  if (ok && fchmod(fd, 0755) != 0)
    ok = Fail(error, "cannot make " + path + " executable");
  if (close(fd) != 0 && ok)
    ok = Fail(error, "cannot write " + path);
  if (ok && rename(temp.c_str(), path.c_str()) != 0)
    ok = Fail(error, "cannot replace " + path + ": " + strerror(errno));
  if (!ok)
    unlink(temp.c_str());
  return ok;
}

}  // namespace

bool WriteBook(const BookSpec& bookSpec, const std::string& path, std::string* error) {
  std::string temp;
  const int fd = CreateBeside(path, &temp, error);
  if (fd < 0)
    return false;
  Output out(fd);
  return Complete(fd, temp, path, WriteTo(bookSpec, out, error), error);
}

struct BookFileWriter::State {
  explicit State(int descriptor) : fd(descriptor), out(descriptor), payload(&out) {}
  int fd;
  std::string temp;
  std::string path;
  Output out;
  Payload payload;
};

BookFileWriter::BookFileWriter() = default;

BookFileWriter::~BookFileWriter() {
  if (m_state) {
    close(m_state->fd);
    unlink(m_state->temp.c_str());
  }
}

bool BookFileWriter::Start(const std::string& path, const std::string& imagePath,
                           std::string_view image, std::string* error) {
  std::string temp;
  const int fd = CreateBeside(path, &temp, error);
  if (fd < 0)
    return false;
  m_state = std::make_unique<State>(fd);
  m_state->temp = temp;
  m_state->path = path;
  return m_state->payload.Image(imagePath, image, error);
}

bool BookFileWriter::AddStored(std::string_view stored, EBookFile* entry, std::string* error) {
  return m_state && m_state->payload.Stored(stored, entry, error);
}

bool BookFileWriter::AddFromPath(const std::string& sourcePath, EBookFile* entry,
                                 std::string* error) {
  return m_state && m_state->payload.FromPath(sourcePath, entry, error);
}

bool BookFileWriter::Finish(const BookSpec& bookSpec, const std::vector<EBookFile>& entries,
                            std::string* error) {
  if (!m_state)
    return Fail(error, "no book was started");
  const bool written = m_state->payload.Records(bookSpec, entries, error);
  const std::unique_ptr<State> state = std::move(m_state);
  return Complete(state->fd, state->temp, state->path, written, error);
}

std::string BuildBookBytes(const BookSpec& bookSpec) {
  std::string bytes;
  Output out(&bytes);
  std::string ignored;
  WriteTo(bookSpec, out, &ignored);
  return bytes;
}

}  // namespace quire
