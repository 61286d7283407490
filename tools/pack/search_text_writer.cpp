#include "search_text_writer.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "pages/search_text_store.h"

namespace quire::pack {

namespace {

void PutU32(uint32_t value, uint8_t* out) {
  for (int k = 0; k < 4; ++k)
    out[k] = static_cast<uint8_t>(value >> (8 * k));
}

}  // namespace

SearchTextWriter::~SearchTextWriter() {
  if (m_file != nullptr)
    std::fclose(m_file);
}

bool SearchTextWriter::Write(const void* data, size_t size, std::string* error) {
  if (size > 0 && std::fwrite(data, 1, size, m_file) != size) {
    *error = m_path + ": cannot write: " + std::strerror(errno);
    return false;
  }
  return true;
}

bool SearchTextWriter::Open(const std::string& path, size_t pageCount, std::string* error) {
  m_path = path;
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600);
  m_file = fd < 0 ? nullptr : fdopen(fd, "wb");
  if (m_file == nullptr) {
    *error = path + ": cannot create: " + std::strerror(errno);
    if (fd >= 0)
      close(fd);
    return false;
  }
  m_pageCount = pageCount;
  m_added = 0;
  m_table.assign(kSearchTextHeaderSize + pageCount * kSearchTextRecordSize, 0);
  memcpy(m_table.data(), kSearchTextMagic, 4);
  PutU32(static_cast<uint32_t>(pageCount), m_table.data() + 4);
  // The table's place, filled in by Finish.
  return Write(m_table.data(), m_table.size(), error);
}

bool SearchTextWriter::Add(uint32_t index, std::string_view name, std::string_view text,
                           std::string* error) {
  if (m_file == nullptr || m_added == m_pageCount) {
    *error = m_path + ": more pages than announced";
    return false;
  }
  if (text.size() > kMaxStoredPageText)
    text = text.substr(0, kMaxStoredPageText);
  uint8_t* record = m_table.data() + kSearchTextHeaderSize + m_added * kSearchTextRecordSize;
  PutU32(index, record);
  PutU32(Fnv1a32(name), record + 4);
  PutU32(static_cast<uint32_t>(text.size()), record + 8);
  ++m_added;
  return Write(text.data(), text.size(), error);
}

bool SearchTextWriter::Finish(std::string* error) {
  if (m_file == nullptr || m_added != m_pageCount) {
    *error = m_path + ": fewer pages than announced";
    return false;
  }
  const bool ok = std::fflush(m_file) == 0 && std::fseek(m_file, 0, SEEK_SET) == 0 &&
                  Write(m_table.data(), m_table.size(), error) && std::fflush(m_file) == 0;
  const bool closed = std::fclose(m_file) == 0;
  m_file = nullptr;
  if (!ok || !closed) {
    if (error->empty())
      *error = m_path + ": cannot write: " + std::strerror(errno);
    return false;
  }
  return true;
}

}  // namespace quire::pack
