// The stack of open conditions, loops and subroutine calls of one run.
//
// A run executes a command only while every entry on the stack is taken; the stack keeps
// a count of untaken entries so that question costs nothing per line.
#ifndef QUIRE_SCRIPT_CONTROL_STACK_H_
#define QUIRE_SCRIPT_CONTROL_STACK_H_

#include <cstddef>
#include <cstdint>
#include <vector>

namespace quire {

inline constexpr int32_t kEntryIf = 1;
inline constexpr int32_t kEntryGosub = 2;
inline constexpr int32_t kEntryWhile = 3;
inline constexpr int32_t kEntryRepeat = 4;

struct ControlEntry {
  int32_t kind = kEntryIf;
  // Not 0: the commands inside this block run.
  int32_t taken = 0;
  // Executable-line index: the loop's own line (WHILE, REPEAT), the line after the call
  // (GOSUB); 0 for IF.
  int32_t line = 0;
};

class ControlStack {
 public:
  static constexpr size_t kMaxEntries = 1000;

  // False (and nothing pushed) when the stack already holds kMaxEntries.
  bool Push(const ControlEntry& entry);
  // False when empty; otherwise removes the top entry into `entry`.
  bool Pop(ControlEntry* entry);
  bool Empty() const { return m_entries.empty(); }
  size_t Size() const { return m_entries.size(); }
  // True when every entry is taken (also when empty): the run executes commands.
  bool AllTaken() const { return m_untaken == 0; }

 private:
  std::vector<ControlEntry> m_entries;
  size_t m_untaken = 0;
};

}  // namespace quire

#endif  // QUIRE_SCRIPT_CONTROL_STACK_H_
