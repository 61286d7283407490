// SET and the STR... commands. Texts are bytes; positions count from 1; results are
// stored as text in the variable named by the first parameter. Case follows the book's
// encoding (text_case.h).
#include <algorithm>

#include "pages/html_text.h"
#include "pages/reader_context.h"
#include "platform/ascii_text.h"
#include "platform/text_case.h"
#include "script/command_support.h"
#include "script/command_table.h"

namespace quire {
namespace {

std::string Text(const CommandCall& call, int position) {
  return call.Param(position).AsText();
}

const char* Flag(bool value) {
  return value ? "1" : "0";
}

int CompareResult(const std::string& a, const std::string& b) {
  // std::string compares bytes as unsigned values.
  const int order = a.compare(b);
  return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

// The first `count` bytes; empty below 1.
std::string Left(const std::string& text, int32_t count) {
  if (count < 1)
    return std::string();
  return text.substr(0, std::min<size_t>(static_cast<size_t>(count), text.size()));
}

int HandleSet(CommandCall& call) {
  return StoreResult(call, Text(call, 2));
}

int HandleStrEqual(CommandCall& call) {
  return StoreResult(call, Flag(Text(call, 2) == Text(call, 3)));
}

int HandleStrEmpty(CommandCall& call) {
  return StoreResult(call, Flag(Text(call, 2).empty()));
}

int HandleStrFind(CommandCall& call) {
  size_t start = 0;
  if (call.Count() == 4) {
    if (!RequireNumber(call, 4))
      return kCommandFailed;
    // A start below 1 searches from the beginning, never before the text.
    start = static_cast<size_t>(std::max<int32_t>(call.Param(4).AsNumber(), 1) - 1);
  }
  const std::string text = Text(call, 2);
  const std::string find = Text(call, 3);
  // A start beyond the end finds nothing, not even an empty text.
  const bool inside = start == 0 || start < text.size();
  const size_t found = inside ? text.find(find, start) : std::string::npos;
  return StoreResult(call, found == std::string::npos ? "0" : std::to_string(found + 1));
}

int HandleStrCmp(CommandCall& call) {
  return StoreResult(call, std::to_string(CompareResult(Text(call, 2), Text(call, 3))));
}

int HandleStrICmp(CommandCall& call) {
  const TextEncoding encoding = call.context.book.Encoding();
  return StoreResult(call, std::to_string(CompareResult(LowerCased(Text(call, 2), encoding),
                                                        LowerCased(Text(call, 3), encoding))));
}

int HandleStrReplace(CommandCall& call) {
  const std::string text = Text(call, 2);
  const std::string find = Text(call, 3);
  const std::string replacement = Text(call, 4);
  if (find.empty())
    return StoreResult(call, text);
  std::string result;
  size_t pos = 0;
  for (size_t hit; (hit = text.find(find, pos)) != std::string::npos; pos = hit + find.size()) {
    result.append(text, pos, hit - pos);
    result.append(replacement);
  }
  result.append(text, pos, std::string::npos);
  return StoreResult(call, result);
}

int HandleStrLen(CommandCall& call) {
  return StoreResult(call, std::to_string(Text(call, 2).size()));
}

int HandleStrUpper(CommandCall& call) {
  return StoreResult(call, UpperCased(Text(call, 2), call.context.book.Encoding()));
}

int HandleStrLower(CommandCall& call) {
  return StoreResult(call, LowerCased(Text(call, 2), call.context.book.Encoding()));
}

int HandleStrTrim(CommandCall& call) {
  return StoreResult(call, std::string(Trim(Text(call, 2))));
}

int HandleStrTrimR(CommandCall& call) {
  return StoreResult(call, std::string(TrimRight(Text(call, 2))));
}

int HandleStrTrimL(CommandCall& call) {
  return StoreResult(call, std::string(TrimLeft(Text(call, 2))));
}

int HandleStrCat(CommandCall& call) {
  const std::string joined = Text(call, 2) + Text(call, 3);
  return StoreResult(call, std::string(TrimLeft(joined)));
}

int HandleStrHtml(CommandCall& call) {
  return StoreResult(call, TextToHtml(Text(call, 2)));
}

int HandleStrLastWord(CommandCall& call) {
  const std::string text(TrimRight(Text(call, 2)));
  const size_t space = text.rfind(' ');
  return StoreResult(call, space == std::string::npos ? text : text.substr(space + 1));
}

int HandleStrFirstWord(CommandCall& call) {
  const std::string text(TrimLeft(Text(call, 2)));
  // The part before the last space, as scripts written for the reader expect.
  const size_t space = text.rfind(' ');
  return StoreResult(call, space == std::string::npos ? text : text.substr(0, space));
}

int HandleStrLeft(CommandCall& call) {
  if (!RequireNumber(call, 3))
    return kCommandFailed;
  return StoreResult(call, Left(Text(call, 2), call.Param(3).AsNumber()));
}

int HandleStrRight(CommandCall& call) {
  if (!RequireNumber(call, 3))
    return kCommandFailed;
  const std::string text = Text(call, 2);
  const int32_t count = call.Param(3).AsNumber();
  if (count < 1)
    return StoreResult(call, std::string());
  const size_t keep = std::min<size_t>(static_cast<size_t>(count), text.size());
  return StoreResult(call, text.substr(text.size() - keep));
}

int HandleStrMid(CommandCall& call) {
  if (!RequireNumber(call, 3))
    return kCommandFailed;
  std::string text = Text(call, 2);
  // Start 0 and start 1 both mean the whole text.
  const int64_t skip = std::max<int64_t>(int64_t{call.Param(3).AsNumber()} - 1, 0);
  text = skip < static_cast<int64_t>(text.size()) ? text.substr(static_cast<size_t>(skip))
                                                  : std::string();
  if (call.Count() == 4) {
    if (!RequireNumber(call, 4))
      return kCommandFailed;
    text = Left(text, call.Param(4).AsNumber());
  }
  return StoreResult(call, text);
}

int HandleStrChar(CommandCall& call) {
  if (!RequireNumber(call, 3))
    return kCommandFailed;
  const std::string text = Text(call, 2);
  const int32_t position = call.Param(3).AsNumber();
  if (position < 1 || static_cast<size_t>(position) > text.size()) {
    return StoreResult(call, std::string());
  }
  return StoreResult(call, std::string(1, text[static_cast<size_t>(position) - 1]));
}

}  // namespace

std::span<const CommandSpec> StringCommands() {
  static constexpr CommandSpec kCommands[] = {
      {"SET", 2, 2, kPlainCommand, HandleSet},            // SET(var, value)
      {"STREQUAL", 3, 3, kPlainCommand, HandleStrEqual},  // STREQUAL(var, a, b)
      {"STREMPTY", 2, 2, kPlainCommand, HandleStrEmpty},  // STREMPTY(var, a)
      {"STRFIND", 3, 4, kPlainCommand, HandleStrFind},    // STRFIND(var, a, b [, start])
      {"STRCMP", 3, 3, kPlainCommand, HandleStrCmp},      // STRCMP(var, a, b)
      {"STRICMP", 3, 3, kPlainCommand, HandleStrICmp},    // STRICMP(var, a, b)
      // STRREPLACE(var, a, find, replacement)
      {"STRREPLACE", 4, 4, kPlainCommand, HandleStrReplace},
      {"STRLEN", 2, 2, kPlainCommand, HandleStrLen},              // STRLEN(var, a)
      {"STRUPPER", 2, 2, kPlainCommand, HandleStrUpper},          // STRUPPER(var, a)
      {"STRLOWER", 2, 2, kPlainCommand, HandleStrLower},          // STRLOWER(var, a)
      {"STRTRIM", 2, 2, kPlainCommand, HandleStrTrim},            // STRTRIM(var, a)
      {"STRTRIMR", 2, 2, kPlainCommand, HandleStrTrimR},          // STRTRIMR(var, a)
      {"STRTRIML", 2, 2, kPlainCommand, HandleStrTrimL},          // STRTRIML(var, a)
      {"STRCAT", 3, 3, kPlainCommand, HandleStrCat},              // STRCAT(var, a, b)
      {"STRHTML", 2, 2, kPlainCommand, HandleStrHtml},            // STRHTML(var, a)
      {"STRLASTWORD", 2, 2, kPlainCommand, HandleStrLastWord},    // STRLASTWORD(var, a)
      {"STRFIRSTWORD", 2, 2, kPlainCommand, HandleStrFirstWord},  // STRFIRSTWORD(var, a)
      {"STRLEFT", 3, 3, kPlainCommand, HandleStrLeft},            // STRLEFT(var, a, count)
      {"STRRIGHT", 3, 3, kPlainCommand, HandleStrRight},          // STRRIGHT(var, a, count)
      {"STRMID", 3, 4, kPlainCommand, HandleStrMid},              // STRMID(var, a, start [, count])
      {"STRCHAR", 3, 3, kPlainCommand, HandleStrChar},            // STRCHAR(var, a, position)
  };
  return kCommands;
}

}  // namespace quire
