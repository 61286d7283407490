#include "source_read.h"

#include <algorithm>
#include <condition_variable>
#include <fstream>
#include <mutex>
#include <thread>
#include <unordered_set>

#include "book/lz.h"
#include "page_scan.h"
#include "platform/ascii_text.h"
#include "reader_image.h"
#include "script_link_scan.h"
#include "site_reference.h"
#include "site_rewriter.h"

namespace quire::pack {

namespace {

bool ReadWholeFile(const std::string& path, std::string* out) {
  std::ifstream in(path, std::ios::binary);
  if (!in)
    return false;
  in.seekg(0, std::ios::end);
  const std::streamoff size = in.tellg();
  in.seekg(0, std::ios::beg);
  if (size < 0)
    return false;
  out->resize(static_cast<size_t>(size));
  in.read(out->data(), size);
  out->resize(static_cast<size_t>(in.gcount()));
  return !in.bad();
}

std::string LowerExtension(const std::string& path) {
  const size_t dot = path.rfind('.');
  const size_t slash = path.rfind('/');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
    return "";
  return AsciiLowered(path.substr(dot + 1));
}

bool IsParsedPage(const std::string& path) {
  const std::string ext = LowerExtension(path);
  return ext == "html" || ext == "htm" || ext == "xhtml";
}

// Collects a page's links, each file once, in the order they first stand.
class Links {
 public:
  explicit Links(std::vector<uint32_t>* out) : m_out(*out) {}
  void Add(uint32_t file) {
    if (m_seen.insert(file).second)
      m_out.push_back(file);
  }

 private:
  std::vector<uint32_t>& m_out;
  std::unordered_set<uint32_t> m_seen;
};

// Line numbers of offsets that come in ascending order, counted as they come.
class LineCounter {
 public:
  explicit LineCounter(std::string_view text) : m_text(text) {}
  int At(size_t offset) {
    offset = std::min(offset, m_text.size());
    if (offset < m_at) {
      m_at = 0;
      m_line = 1;
    }
    m_line +=
        static_cast<int>(std::count(m_text.begin() + static_cast<std::ptrdiff_t>(m_at),
                                    m_text.begin() + static_cast<std::ptrdiff_t>(offset), '\n'));
    m_at = offset;
    return m_line;
  }

 private:
  std::string_view m_text;
  size_t m_at = 0;
  int m_line = 1;
};

// The file of a kept book that `resolved` (a path below the site's top) names: the file of
// that name, or the index page of that folder. -1 when the book holds none.
int64_t LookupKept(const SourcePlan& plan, const std::string& resolved) {
  std::string folder;
  if (resolved.empty() || resolved.back() == '/') {
    folder = resolved;
  } else if (plan.folders.count(resolved)) {
    folder = resolved + "/";
  } else {
    auto it = plan.byName.find(resolved);
    return it == plan.byName.end() ? int64_t{-1} : int64_t{it->second};
  }
  for (const char* index : {"index.html", "index.htm"}) {
    auto it = plan.byName.find(folder + index);
    if (it != plan.byName.end())
      return it->second;
  }
  return -1;
}

// A page of a book that keeps its folders: where its links lead, and which of its
// references name nothing the book holds. The page itself is stored as it is.
void ReadKeptPage(const SourcePlan& plan, const std::string& sitePath, std::string_view html,
                  std::string* h1, ReadResult* result) {
  PageScan scan = ScanPage(html);
  *h1 = std::move(scan.h1);
  const std::string folder = FolderOfPath(sitePath);
  Links links(&result->links);
  LineCounter lines(html);
  for (const PageReference& ref : scan.references) {
    if (IsLeftAlone(ref.address))
      continue;
    std::string resolved;
    const Resolution resolution =
        ResolveSitePath(SplitReference(ref.address).path, folder, &resolved);
    std::string problem;
    if (resolution == Resolution::kOutside) {
      problem = "' leads out of the site folder";
    } else if (resolution == Resolution::kRootAbsolute) {
      problem =
          "' names no file of the site (in a book a path that begins with '/' starts at the "
          "top of the disk)";
    } else if (const int64_t file = LookupKept(plan, resolved); file < 0) {
      problem = "' names no file of the site";
    } else if (ref.link && !plan.files[static_cast<size_t>(file)].sitePath.empty()) {
      links.Add(static_cast<uint32_t>(file));
    }
    if (!problem.empty()) {
      result->issues.push_back(sitePath + ":" + std::to_string(lines.At(ref.offset)) +
                               ": reference '" + ref.address + problem);
    }
  }
}

// Pages at least this large are parsed one at a time: the parser's tree of a page takes
// some twenty times the page, so two such parses at once would set the build's peak.
constexpr size_t kLargePage = size_t{1} << 20;

// A page, style sheet or script of a flattened site: its references rewritten to the
// stored names.
void ReadFlattenedFile(const SourcePlan& plan, const std::string& sitePath, std::string* data,
                       std::string* title, ReadResult* result) {
  const std::string ext = LowerExtension(sitePath);
  RewrittenFile rewritten;
  if (ext == "html" || ext == "htm" || ext == "xhtml") {
    static std::mutex largePages;
    std::unique_lock<std::mutex> oneAtATime(largePages, std::defer_lock);
    if (data->size() >= kLargePage)
      oneAtATime.lock();
    rewritten = RewriteHtmlPage(*data, sitePath, plan.flat.map);
  } else if (ext == "css") {
    rewritten = RewriteStyleSheet(*data, sitePath, plan.flat.map);
  } else if (ext == "js") {
    rewritten.issues = FindScriptReferences(*data, sitePath, plan.flat.map);
  }
  if (rewritten.changed) {
    *data = std::move(rewritten.text);
    result->changed = true;
  }
  *title = std::move(rewritten.title);
  Links links(&result->links);
  for (const std::string& target : rewritten.links) {
    auto it = plan.bySitePath.find(target);
    if (it != plan.bySitePath.end())
      links.Add(it->second);
  }
  for (const ReferenceIssue& issue : rewritten.issues)
    result->issues.push_back(sitePath + ":" + std::to_string(issue.line) + ": " + issue.message);
}

}  // namespace

bool ReadSource(const SourcePlan& plan, size_t index, const ReadOptions& options,
                ReadResult* result, std::string* error) {
  *result = ReadResult{};
  const PlannedFile& file = plan.files[index];
  std::string data;
  if (!ReadWholeFile(file.diskPath, &data)) {
    *error = file.origin + ": cannot read " + file.diskPath;
    return false;
  }
  std::string pageTitle;  // what the page's own markup offers beyond <title>
  if (!file.sitePath.empty()) {
    if (plan.layout == SiteLayout::kFlattened && IsSiteTextFile(file.sitePath))
      ReadFlattenedFile(plan, file.sitePath, &data, &pageTitle, result);
    else if (plan.layout == SiteLayout::kKept && IsParsedPage(file.sitePath))
      ReadKeptPage(plan, file.sitePath, data, &pageTitle, result);
  }
  const std::string& name = file.name;
  const std::string head = data.substr(0, kHeadBytes);
  const bool hasVariables = data.find("[={") != std::string::npos;
  if (name.rfind("__pxa__", 0) == 0 && !IsElfSharedObject(head)) {
    result->warnings.push_back(file.origin + ": extension library '" + name +
                               "' is not an ELF shared object; the reader cannot load it");
  }
  EBookFile entry = DefaultFileEntry(name, head, hasVariables);
  if (!file.sitePath.empty() && IsHtmlName(name) && !pageTitle.empty()) {
    // A flattened page's parse decodes every character reference ("&mdash;"), but reads
    // bytes that are no UTF-8 as U+FFFD: then the title as written is the better one. A
    // kept page offers its first <h1> where it has no <title>.
    if (entry.title == name || (plan.layout == SiteLayout::kFlattened &&
                                pageTitle.find("\xEF\xBF\xBD") == std::string::npos)) {
      entry.title = pageTitle;
    }
  }
  if (file.rule)
    ApplyFileRule(*file.rule, &entry);
  result->entry = std::move(entry);
  if (const LinkScanKind kind = LinkScanKindOf(name); kind != LinkScanKind::kNone)
    result->scriptLinks = HoldsScriptLinks(data, kind);
  if (options.store) {
    result->stored = result->entry.packed ? LzPack(data) : std::move(data);
  } else if (result->changed) {
    result->data = std::move(data);
  }
  return true;
}

bool ReadSourcesInOrder(const SourcePlan& plan, const ReadOptions& options,
                        const ConsumeRead& consume, std::string* error) {
  const size_t count = plan.files.size();
  struct Slot {
    bool done = false;
    bool ok = false;
    ReadResult result;
    std::string error;
  };
  std::vector<Slot> slots(kMaxFilesInFlight);
  std::mutex mutex;
  std::condition_variable changed;
  size_t nextClaim = 0;    // the next file a reader takes
  size_t nextConsume = 0;  // the next file handed on
  uint64_t bytesInFlight = 0;
  bool stop = false;

  auto mayClaim = [&] {
    if (nextClaim >= count || nextClaim >= nextConsume + kMaxFilesInFlight)
      return false;
    return nextClaim == nextConsume ||
           bytesInFlight + plan.files[nextClaim].size <= kMaxBytesInFlight;
  };
  auto read = [&] {
    std::unique_lock<std::mutex> lock(mutex);
    for (;;) {
      changed.wait(lock, [&] { return stop || nextClaim >= count || mayClaim(); });
      if (stop || nextClaim >= count)
        return;
      const size_t index = nextClaim++;
      bytesInFlight += plan.files[index].size;
      lock.unlock();
      Slot done;
      done.ok = ReadSource(plan, index, options, &done.result, &done.error);
      done.done = true;
      lock.lock();
      slots[index % kMaxFilesInFlight] = std::move(done);
      changed.notify_all();
    }
  };

  const unsigned threads = static_cast<unsigned>(std::min<size_t>(
      std::clamp(std::thread::hardware_concurrency(), 1u, 8u), std::max<size_t>(count, 1)));
  std::vector<std::thread> readers;
  for (unsigned t = 0; t < threads; ++t)
    readers.emplace_back(read);
  bool ok = true;
  for (size_t index = 0; index < count && ok; ++index) {
    Slot slot;
    {
      std::unique_lock<std::mutex> lock(mutex);
      Slot& waiting = slots[index % kMaxFilesInFlight];
      changed.wait(lock, [&] { return waiting.done; });
      slot = std::move(waiting);
      waiting = Slot{};
    }
    ok = slot.ok ? consume(index, std::move(slot.result), error) : (*error = slot.error, false);
    std::lock_guard<std::mutex> lock(mutex);
    bytesInFlight -= plan.files[index].size;
    nextConsume = index + 1;
    if (!ok)
      stop = true;
    changed.notify_all();
  }
  for (std::thread& reader : readers)
    reader.join();
  return ok;
}

}  // namespace quire::pack
