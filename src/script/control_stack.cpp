#include "script/control_stack.h"

namespace quire {

bool ControlStack::Push(const ControlEntry& entry) {
  if (m_entries.size() >= kMaxEntries)
    return false;
  m_entries.push_back(entry);
  if (entry.taken == 0)
    ++m_untaken;
  return true;
}

bool ControlStack::Pop(ControlEntry* entry) {
  if (m_entries.empty())
    return false;
  *entry = m_entries.back();
  m_entries.pop_back();
  if (entry->taken == 0)
    --m_untaken;
  return true;
}

}  // namespace quire
