#include "pages/html_text.h"

namespace quire {
namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

// Moves the pending line's trailing spaces out and ends the line.
void EndLine(std::string* out) {
  while (!out->empty() && out->back() == ' ')
    out->pop_back();
  out->push_back('\n');
}

}  // namespace

std::string TextToHtml(const std::string& text) {
  // First pass: entities, tabs as four spaces, every line end as one LF with the spaces
  // before it removed.
  std::string lines;
  lines.reserve(text.size() + text.size() / 8);
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    switch (c) {
      case '&':
        lines += "&amp;";
        break;
      case '<':
        lines += "&lt;";
        break;
      case '>':
        lines += "&gt;";
        break;
      case '"':
        lines += "&quot;";
        break;
      case '\t':
        lines += "    ";
        break;
      case '\r':
        if (i + 1 < text.size() && text[i + 1] == '\n')
          ++i;
        EndLine(&lines);
        break;
      case '\n':
        EndLine(&lines);
        break;
      default:
        lines.push_back(c);
    }
  }
  // Second pass: LF as "<BR>", runs of two or more spaces as as many "&nbsp;".
  std::string html;
  html.reserve(lines.size() + lines.size() / 4);
  for (size_t i = 0; i < lines.size();) {
    char c = lines[i];
    if (c == '\n') {
      html += "<BR>";
      ++i;
    } else if (c == ' ') {
      size_t run = lines.find_first_not_of(' ', i);
      if (run == std::string::npos)
        run = lines.size();
      run -= i;
      if (run == 1) {
        html.push_back(' ');
      } else {
        for (size_t k = 0; k < run; ++k)
          html += "&nbsp;";
      }
      i += run;
    } else {
      html.push_back(c);
      ++i;
    }
  }
  return html;
}

bool TextToHtml(std::string* text) {
  *text = TextToHtml(*text);
  return true;
}

std::string EscapeHtml(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '<':
        out += "&lt;";
        break;
      default:
        out.push_back(c);
    }
  }
  return out;
}

std::string ColorToHex(int32_t colour) {
  return ByteToHex(colour & 0xFF) + ByteToHex((colour >> 8) & 0xFF) +
         ByteToHex((colour >> 16) & 0xFF);
}

std::string ByteToHex(int32_t value) {
  return NibbleToHex(value >> 4) + NibbleToHex(value);
}

std::string NibbleToHex(int32_t value) {
  return std::string(1, kHexDigits[value & 0xF]);
}

std::string IntToText(int32_t value) {
  return std::to_string(value);
}

std::string BoolToText(int32_t value) {
  return value != 0 ? "1" : "0";
}

}  // namespace quire
