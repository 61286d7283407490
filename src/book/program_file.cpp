#include "book/program_file.h"

namespace quire {

bool IsProgramStart(std::string_view head) {
  return head.starts_with(
             "\x7f"
             "ELF") ||
         head.starts_with("#!");
}

}  // namespace quire
