#include "book/book_text_encoding.h"

#include "platform/utf8.h"

namespace quire {

TextEncoding BookTextEncoding(const EBookSettings& settings, const std::vector<EBookFile>& files) {
  const std::string* texts[] = {
      &settings.title,          &settings.author,        &settings.authorEmail,
      &settings.authorUrl,      &settings.publisher,     &settings.copyright,
      &settings.startupMessage, &settings.startupScript, &settings.exitScript};
  for (const std::string* text : texts) {
    if (!IsValidUtf8(*text))
      return TextEncoding::kWindows1252;
  }
  for (const EBookFile& file : files) {
    if (!IsValidUtf8(file.fileName) || !IsValidUtf8(file.title) || !IsValidUtf8(file.description) ||
        !IsValidUtf8(file.keywords))
      return TextEncoding::kWindows1252;
  }
  return TextEncoding::kUtf8;
}

}  // namespace quire
