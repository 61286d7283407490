#include "pages/search_text_store.h"

#include "book/entry_stream.h"

namespace quire {

namespace {

void PutU32(uint32_t value, uint8_t* out) {
  for (int k = 0; k < 4; ++k)
    out[k] = static_cast<uint8_t>(value >> (8 * k));
}

uint32_t GetU32(const char* in) {
  uint32_t value = 0;
  for (int k = 3; k >= 0; --k)
    value = (value << 8) | static_cast<uint8_t>(in[k]);
  return value;
}

struct Record {
  uint32_t index;
  uint32_t length;
  bool usable;
};

// Takes the entry's bytes in blocks of any size and hands out each page's text as soon as
// all of it has come. Holds the table, and at most one text (or one block) besides.
class StoreParser {
 public:
  StoreParser(const std::vector<EBookFile>& directory, const VisitPageText& visit)
      : m_directory(directory), m_visit(visit) {}

  // False once the bytes are known to be damaged, or all texts have been handed out.
  bool Feed(std::string_view block) {
    if (m_damaged || Complete())
      return false;
    // A whole block that starts where nothing is held back is read in place.
    if (m_held.size() == m_start) {
      m_held.clear();
      m_start = 0;
      const size_t used = Take(block);
      if (!m_damaged && used < block.size())
        m_held.assign(block.substr(used));
    } else {
      m_held.append(block);
      m_start += Take(std::string_view(m_held).substr(m_start));
      if (m_start > m_held.size() / 2) {  // keep what is held from growing
        m_held.erase(0, m_start);
        m_start = 0;
      }
    }
    return !m_damaged && !Complete();
  }

  bool Complete() const { return m_haveTable && m_next == m_records.size(); }

 private:
  // Reads what it can of `bytes`; returns how many it used.
  size_t Take(std::string_view bytes) {
    size_t used = 0;
    if (!m_haveTable) {
      used = TakeTable(bytes);
      if (!m_haveTable)
        return used;
    }
    while (!m_damaged && m_next < m_records.size()) {
      const Record& record = m_records[m_next];
      if (record.length > kMaxStoredPageText) {
        m_damaged = true;
        break;
      }
      if (bytes.size() - used < record.length)
        break;
      if (record.usable)
        m_visit(record.index, bytes.substr(used, record.length));
      used += record.length;
      ++m_next;
    }
    return used;
  }

  size_t TakeTable(std::string_view bytes) {
    if (bytes.size() < kSearchTextHeaderSize)
      return 0;
    if (bytes.substr(0, 4) != kSearchTextMagic) {
      m_damaged = true;
      return 0;
    }
    const uint32_t count = GetU32(bytes.data() + 4);
    // Indexes increase, so there are never more records than entries.
    if (count > m_directory.size()) {
      m_damaged = true;
      return 0;
    }
    const size_t tableEnd = kSearchTextHeaderSize + size_t{count} * kSearchTextRecordSize;
    if (bytes.size() < tableEnd)
      return 0;
    m_records.reserve(count);
    int64_t previous = -1;
    for (size_t k = 0; k < count; ++k) {
      const char* at = bytes.data() + kSearchTextHeaderSize + k * kSearchTextRecordSize;
      Record record{GetU32(at), GetU32(at + 8), false};
      const uint32_t hash = GetU32(at + 4);
      if (record.index < m_directory.size() && static_cast<int64_t>(record.index) > previous) {
        const EBookFile& entry = m_directory[record.index];
        record.usable =
            entry.searchable && !entry.expandVariables && Fnv1a32(entry.fileName) == hash;
        previous = record.index;
      }
      m_records.push_back(record);
    }
    m_haveTable = true;
    return tableEnd;
  }

  const std::vector<EBookFile>& m_directory;
  const VisitPageText& m_visit;
  std::vector<Record> m_records;
  bool m_haveTable = false;
  bool m_damaged = false;
  size_t m_next = 0;   // the record whose text comes next
  std::string m_held;  // bytes of a text (or the table) not yet complete
  size_t m_start = 0;  // where the unread part of m_held begins
};

}  // namespace

uint32_t Fnv1a32(std::string_view bytes) {
  uint32_t hash = 2166136261u;
  for (char c : bytes) {
    hash ^= static_cast<uint8_t>(c);
    hash *= 16777619u;
  }
  return hash;
}

std::string SearchTextBytes(const std::vector<PageText>& texts) {
  std::string bytes(kSearchTextMagic, 4);
  uint8_t number[4];
  auto put = [&](uint32_t value) {
    PutU32(value, number);
    bytes.append(reinterpret_cast<const char*>(number), 4);
  };
  put(static_cast<uint32_t>(texts.size()));
  for (const PageText& page : texts) {
    put(page.index);
    put(Fnv1a32(page.name));
    put(static_cast<uint32_t>(page.text.size()));
  }
  for (const PageText& page : texts)
    bytes += page.text;
  return bytes;
}

// ----- Reading -----

bool ReadSearchTexts(const BookInput& in, int64_t position, int64_t size, bool packed,
                     const std::vector<EBookFile>& directory, const VisitPageText& visit) {
  StoreParser parser(directory, visit);
  const EntryStreamResult result = StreamEntry(
      in, position, size, packed, [&](std::string_view block) { return parser.Feed(block); });
  return result == EntryStreamResult::kDone && parser.Complete();
}

bool ReadSearchTextBytes(std::string_view bytes, const std::vector<EBookFile>& directory,
                         const VisitPageText& visit) {
  StoreParser parser(directory, visit);
  parser.Feed(bytes);
  return parser.Complete();
}

}  // namespace quire
