#include "book/entry_extractor.h"

#include <algorithm>
#include <string_view>

#include "book/container_format.h"
#include "book/lz_decoder.h"
#include "book/scrambled.h"
#include "platform/file_write.h"

namespace quire {

namespace {

using Result = EntryExtractor::Result;

// Hands the decoder the stored bytes block by block, unscrambled.
struct StoredSource {
  const BookInput& in;
  int64_t position;
  int64_t remaining;
  uint8_t* buffer;
  size_t capacity;
  bool cameShort = false;

  bool Refill(const uint8_t** next, const uint8_t** end) {
    if (remaining <= 0 || cameShort)
      return false;
    const size_t want = static_cast<size_t>(std::min<int64_t>(remaining, capacity));
    const size_t got = in.ReadAt(position, buffer, want);
    cameShort = got < want;
    if (got == 0)
      return false;
    XorBytes(buffer, got, kDataKey);
    position += static_cast<int64_t>(got);
    remaining -= static_cast<int64_t>(got);
    *next = buffer;
    *end = buffer + got;
    return true;
  }
};

// Writes `bytes` to `fd`, keeping the first of all bytes written in `head`.
bool WriteKeepingHead(Env* env, int fd, std::string_view bytes, std::string* head) {
  if (head->size() < EntryExtractor::kHeadBytes)
    head->append(bytes.substr(0, EntryExtractor::kHeadBytes - head->size()));
  return WriteAllBytes(fd, bytes, env);
}

// Collects output and writes it in large blocks; with `hold`, keeps all of it.
struct HeldSink {
  Env* env;
  int fd;
  bool hold;
  std::string& held;
  std::string& head;
  bool failed = false;

  bool Flush() {
    if (!failed && !held.empty() && !WriteKeepingHead(env, fd, held, &head))
      failed = true;
    held.clear();
    return !failed;
  }
  bool Write(const uint8_t* data, size_t size) {
    if (failed)
      return false;
    held.append(reinterpret_cast<const char*>(data), size);
    return hold || held.size() < EntryExtractor::kBlockSize || Flush();
  }
};

}  // namespace

EntryExtractor::EntryExtractor(Env* env) : m_env(env) {}
EntryExtractor::~EntryExtractor() = default;

uint8_t* EntryExtractor::InputBuffer(int64_t size) {
  const size_t want = static_cast<size_t>(std::clamp<int64_t>(size, 1, kBlockSize));
  if (m_input.size() < want)
    m_input.resize(want);
  return m_input.data();
}

Result EntryExtractor::Extract(const BookInput& in, int64_t position, int64_t size, bool packed,
                               int fd, const Change& change) {
  const bool hold = static_cast<bool>(change);
  m_held.clear();
  m_head.clear();
  Result result = packed ? DecodeStored(in, position, size, fd, hold)
                         : CopyStored(in, position, size, fd, hold);
  if (result == Result::kDone && hold)
    change(&m_held);
  HeldSink rest{m_env, fd, false, m_held, m_head};
  if (!rest.Flush() && result == Result::kDone)
    result = Result::kWriteFailed;
  // A page held whole may have been large; the next entries need no such room.
  if (m_held.capacity() > 2 * kBlockSize)
    std::string().swap(m_held);
  return result;
}

Result EntryExtractor::CopyStored(const BookInput& in, int64_t position, int64_t size, int fd,
                                  bool hold) {
  uint8_t* buffer = InputBuffer(size);
  while (size > 0) {
    const size_t want = static_cast<size_t>(std::min<int64_t>(size, kBlockSize));
    const size_t got = in.ReadAt(position, buffer, want);
    XorBytes(buffer, got, kDataKey);
    const std::string_view block(reinterpret_cast<const char*>(buffer), got);
    if (hold) {
      m_held.append(block);
    } else if (!WriteKeepingHead(m_env, fd, block, &m_head)) {
      return Result::kWriteFailed;
    }
    if (got < want)
      return Result::kShortData;
    position += static_cast<int64_t>(got);
    size -= static_cast<int64_t>(got);
  }
  return Result::kDone;
}

Result EntryExtractor::DecodeStored(const BookInput& in, int64_t position, int64_t size, int fd,
                                    bool hold) {
  if (!m_decoder)
    m_decoder = std::make_unique<lz_internal::DecoderState>();
  *m_decoder = {};  // a fresh window of zeros for every stream
  StoredSource source{in, position, size, InputBuffer(size),
                      std::min<size_t>(m_input.size(), kBlockSize)};
  HeldSink sink{m_env, fd, hold, m_held, m_head};
  switch (lz_internal::Decode(*m_decoder, source, sink)) {
    case lz_internal::DecodeResult::kDone:
      return Result::kDone;
    case lz_internal::DecodeResult::kOutputFailed:
      return Result::kWriteFailed;
    case lz_internal::DecodeResult::kTruncated:
      break;
  }
  return source.cameShort ? Result::kShortData : Result::kDamagedStream;
}

}  // namespace quire
