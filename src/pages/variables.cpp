#include "pages/variables.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <iterator>

#include "book/cebook.h"
#include "book/page_store.h"
#include "pages/about_page.h"
#include "pages/reader_context.h"
#include "pages/text_replace.h"
#include "platform/paths.h"

namespace quire {
namespace {

// The system directory on Linux: where the standard programs live.
constexpr char kSystemFolder[] = "/usr/bin";

// The predefined names, which user variables may not take.
// clang-format off
constexpr std::array<std::string_view, 50> kPredefinedNames = {
    "win", "sys", "tmp", "app", "ebook", "windrive", "sysdrive", "tmpdrive", "appdrive",
    "ebookdrive", "esbn", "title", "publisher", "copyright", "author", "authoremail", "authorurl",
    "compilerurl", "compilerversion", "compileyear", "compilemonth", "compileday", "compilehour",
    "compileminute", "compilesecond", "nowyear", "nowmonth", "nowday", "nowhour", "nowminute",
    "nowsecond", "quote", "doublequote", "linefeed", "return", "tab", "bracel", "bracer",
    "screenwidth", "screenheight", "clientwidth", "clientheight", "windowwidth", "windowheight",
    "windowx", "windowy", "ebookurl", "commandline", "exename", "isrebranded",
};
// clang-format on

// A folder as the variables report it: trimmed, without one trailing separator.
std::string FolderValue(const std::string& path) {
  std::string value = TrimCopy(path, kWhiteSpace);
  if (!value.empty() && (value.back() == '/' || value.back() == '\\'))
    value.pop_back();
  return value;
}

// The drive letter of a path that begins with one ("C:..."), else the empty text.
std::string DriveOf(const std::string& path) {
  if (path.size() >= 2 && path[1] == ':')
    return path.substr(0, 1);
  return {};
}

void FillCache(ReaderContext& context) {
  VariableFolders& cache = context.folders;
  if (cache.filled)
    return;
  cache.filled = true;
  cache.win = FolderValue(ConfigFolder());
  cache.sys = FolderValue(kSystemFolder);
  cache.tmp = FolderValue(PrivateTempFolder());
  cache.exeName = context.book.ProgramPath();
  size_t slash = cache.exeName.find_last_of('/');
  cache.app =
      FolderValue(slash == std::string::npos ? std::string() : cache.exeName.substr(0, slash + 1));
  cache.ebook = FolderValue(context.store.BookFolder());
  cache.winDrive = DriveOf(cache.win);
  cache.sysDrive = DriveOf(cache.sys);
  cache.tmpDrive = DriveOf(cache.tmp);
  cache.appDrive = DriveOf(cache.app);
  cache.ebookDrive = DriveOf(cache.ebook);
  cache.compilerUrl = SiteUrl(context);
}

// The arguments the program was started with, without the program name, joined by blanks.
std::string CommandLineArguments() {
  std::ifstream in("/proc/self/cmdline", std::ios::binary);
  std::string raw((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  // The arguments are NUL-terminated pieces; the first is the program name.
  std::string joined;
  size_t start = raw.find('\0');
  bool first = true;
  while (start != std::string::npos && start + 1 < raw.size()) {
    ++start;
    size_t end = raw.find('\0', start);
    if (!first)
      joined += ' ';
    joined.append(raw, start, (end == std::string::npos ? raw.size() : end) - start);
    first = false;
    start = end;
  }
  return joined;
}

// Replaces references in one text, in the chosen form. A value is computed only when its
// reference occurs, so costly values (the command line) are read only when used.
class Expander {
 public:
  Expander(std::string* text, bool pageForm) : m_text(text), m_pageForm(pageForm) {}

  template <typename ValueFn>
  void Replace(std::string_view name, ValueFn value) {
    std::string reference = m_pageForm ? "[={" : "{";
    reference += name;
    reference += m_pageForm ? "}]" : "}";
    if (m_text->find(reference) == std::string::npos)
      return;
    ReplaceAll(m_text, reference, value());
  }

  void Replace(std::string_view name, const std::string& value) {
    Replace(name, [&value] { return value; });
  }

  void Replace(std::string_view name, int32_t value) {
    Replace(name, [value] { return std::to_string(value); });
  }

 private:
  std::string* m_text;
  bool m_pageForm;
};

bool PassesGate(const std::string& text, bool pageForm) {
  if (pageForm) {
    return text.find("[={") != std::string::npos && text.find("}]") != std::string::npos;
  }
  return text.find('{') != std::string::npos && text.find('}') != std::string::npos;
}

void ApplySources(ReaderContext& context, std::string* text, bool pageForm) {
  Expander x(text, pageForm);
  CEBook& book = context.book;
  const VariableFolders& cache = context.folders;

  for (const auto& [name, value] : book.UserVariables())
    x.Replace(name, value);

  if (context.extensionVariables)
    context.extensionVariables(text, pageForm);

  x.Replace("quote", std::string("'"));
  x.Replace("doublequote", std::string("\""));
  x.Replace("linefeed", std::string("\n"));
  x.Replace("return", std::string("\r"));
  x.Replace("tab", std::string("\t"));

  x.Replace("win", cache.win);
  x.Replace("windrive", cache.winDrive);
  x.Replace("sys", cache.sys);
  x.Replace("sysdrive", cache.sysDrive);
  x.Replace("tmp", cache.tmp);
  x.Replace("tmpdrive", cache.tmpDrive);
  x.Replace("app", cache.app);
  x.Replace("appdrive", cache.appDrive);
  x.Replace("ebook", cache.ebook);
  x.Replace("ebookdrive", cache.ebookDrive);

  x.Replace("esbn", [&] { return book.Esbn(); });
  x.Replace("title", [&] { return book.Title(); });
  x.Replace("publisher", [&] { return book.Publisher(); });
  x.Replace("copyright", [&] { return book.Copyright(); });
  x.Replace("author", [&] { return book.Author(); });
  x.Replace("authoremail", [&] { return book.AuthorEmail(); });
  x.Replace("authorurl", [&] { return book.AuthorUrl(); });

  x.Replace("compilerurl", cache.compilerUrl);
  x.Replace("compilerversion", std::string(kCompilerVersion));

  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  x.Replace("nowyear", local.tm_year + 1900);
  x.Replace("nowmonth", local.tm_mon + 1);
  x.Replace("nowday", local.tm_mday);
  x.Replace("nowhour", local.tm_hour);
  x.Replace("nowminute", local.tm_min);
  x.Replace("nowsecond", local.tm_sec);

  x.Replace("compileyear", book.CompileYear());
  x.Replace("compilemonth", book.CompileMonth());
  x.Replace("compileday", book.CompileDay());
  x.Replace("compilehour", book.CompileHour());
  x.Replace("compileminute", book.CompileMinute());
  x.Replace("compilesecond", book.CompileSecond());

  ReaderWindow& window = *context.window;
  WindowRect screen = window.ScreenRect();
  x.Replace("screenwidth", screen.width);
  x.Replace("screenheight", screen.height);
  WindowRect frame = window.HasFrame() ? window.FrameRect() : WindowRect{};
  x.Replace("windowx", frame.x);
  x.Replace("windowy", frame.y);
  x.Replace("windowwidth", frame.width);
  x.Replace("windowheight", frame.height);
  WindowRect client = window.HasView() ? window.ClientRect() : WindowRect{};
  x.Replace("clientwidth", client.width);
  x.Replace("clientheight", client.height);

  x.Replace("isrebranded", [&] { return std::string(book.Rebranded() != 0 ? "1" : "0"); });
  x.Replace("commandline", [] { return CommandLineArguments(); });
  x.Replace("exename", cache.exeName);
  x.Replace("ebookurl", [&] { return window.HasView() ? window.CurrentUrl() : std::string(); });

  for (const EBookVariable& variable : book.Variables())
    x.Replace(variable.name, variable.value);

  x.Replace("bracel", std::string("{"));
  x.Replace("bracer", std::string("}"));
}

}  // namespace

std::string ExpandVariables(ReaderContext& context, const std::string& text, bool pageForm) {
  std::string result = TrimCopy(text, kWhiteSpace);
  if (result.empty())
    return text;
  if (!PassesGate(result, pageForm))
    return result;
  FillCache(context);
  ApplySources(context, &result, pageForm);
  return result;
}

bool ExpandVariablesInFile(ReaderContext& context, const std::string& path, Env* env) {
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0)
    return false;
  struct stat info {};
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    close(fd);
    return false;
  }
  std::string data(static_cast<size_t>(info.st_size), '\0');
  size_t done = 0;
  while (done < data.size()) {
    ssize_t n = read(fd, data.data() + done, data.size() - done);
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0)
      break;
    done += static_cast<size_t>(n);
  }
  close(fd);
  if (data.empty())
    return true;
  if (done < data.size())
    return false;

  if (!ExpandVariablesInPage(context, &data))
    return true;
  return context.store.ReplaceBookFile(path, data, env);
}

bool ExpandVariablesInPage(ReaderContext& context, std::string* page) {
  // A zero byte never forms part of either mark, so the marks are looked for in the page
  // as it is and the common page without them costs no copy.
  if (page->find("[={") == std::string::npos || page->find("}]") == std::string::npos)
    return false;
  std::string data = *page;
  for (char& c : data) {
    if (c == '\0')
      c = ' ';
  }
  std::string expanded = ExpandVariables(context, data, true);
  if (expanded == data)
    return false;
  *page = std::move(expanded);
  return true;
}

bool ValidateVariableName(const std::string& name, std::string* message) {
  auto refuse = [message](std::string text) {
    if (message != nullptr)
      *message = std::move(text);
    return false;
  };
  if (name.empty())
    return refuse("Variable must have a name.");
  for (char c : name) {
    bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    bool digit = c >= '0' && c <= '9';
    if (!letter && !digit)
      return refuse("Variable names may contain only letters and digits.");
  }
  if (name[0] >= '0' && name[0] <= '9') {
    return refuse("The first character of the Variable name must be a letter.");
  }
  for (std::string_view reserved : kPredefinedNames) {
    if (name == reserved) {
      return refuse("You can not call your variable '" + name +
                    "' as this variable name is used for a predefined system variable.");
    }
  }
  return true;
}

bool DefineVariable(CEBook& book, const std::string& name, const std::string& value,
                    std::string* message) {
  if (!ValidateVariableName(name, message))
    return false;
  for (const EBookVariable& variable : book.Variables()) {
    if (variable.name == name) {
      if (message != nullptr)
        *message = name + " has been defined at compile time.";
      return false;
    }
  }
  book.UserVariables()[name] = value;
  return true;
}

std::span<const std::string_view> PredefinedVariableNames() {
  return kPredefinedNames;
}

}  // namespace quire
