#include "session/kept_forward.h"

#include "session/history_rules.h"

namespace quire {

void KeptForward::HistoryChanged(const std::string& added,
                                 const std::vector<std::string>& droppedAhead) {
  if (added.empty())
    return;
  if (IsCommandAddress(added)) {
    for (auto it = droppedAhead.rbegin(); it != droppedAhead.rend(); ++it) {
      if (!IsCommandAddress(*it))
        m_pages.push_front(*it);
    }
    return;
  }
  if (!m_restoring.empty() && !m_pages.empty() && added == m_restoring &&
      m_pages.front() == m_restoring) {
    m_pages.pop_front();
  } else {
    m_pages.clear();
  }
  m_restoring.clear();
}

std::optional<std::string> KeptForward::Next() const {
  if (m_pages.empty())
    return std::nullopt;
  return m_pages.front();
}

void KeptForward::Restore() {
  if (!m_pages.empty())
    m_restoring = m_pages.front();
}

}  // namespace quire
