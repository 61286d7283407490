// The view's pop-up menus: the page's own right-click menu and the Size and Contents
// drop-downs of the toolbar. Each runs from the main loop once the signal that asked for
// it has returned.
#include "view/quire_view.h"

#include <string>
#include <utility>
#include <vector>

#include "book/cebook.h"
#include "pages/contents_menu.h"
#include "pages/reader_context.h"
#include "platform/launcher.h"
#include "session/font_commands.h"
#include "session/frame_commands.h"
#include "session/link_actions.h"
#include "ui/window_slot.h"
#include "view/gtk_holders.h"
#include "view/popup_menu.h"

namespace quire {

namespace {

constexpr char kPopupMenuDisabled[] = "The Pop-up Menu is disabled in this E-Book";
// Ids of the page's own pop-up menu.
constexpr int kPopupBack = 100;
constexpr int kPopupForward = 101;
constexpr int kPopupCopy = 300;
constexpr int kPopupSelectAll = 301;
constexpr int kPopupPrint = 400;
constexpr int kPopupOpenLink = 500;
constexpr int kPopupOpenLinkOutside = 501;
constexpr int kPopupCopyLinkAddress = 502;

}  // namespace

void CQuireView::ShowFontMenu(GtkWidget* anchor) {
  if (m_bDestroyed)
    return;
  std::vector<PopupItem> items;
  for (const FontMenuItem& size : FontMenuItems()) {
    PopupItem item;
    item.id = size.id;
    item.text = size.text;
    item.checkable = true;
    item.radio = true;
    item.checked = FontCommandChecked(size.command, m_nFontCommand);
    items.push_back(item);
  }
  RunMenuSoon(std::move(items), anchor, [this](int chosen) {
    const int command = FontCommandOfMenuId(chosen);
    if (command != 0)
      SetFontSize(FontLevelOfCommand(command));
  });
}

void CQuireView::RunMenuSoon(std::vector<PopupItem> items, GtkWidget* anchor,
                             std::function<void(int)> act) {
  // The menu waits for the user's choice in a loop of its own, which must not run inside
  // the click's signal (an assistive tool's click would wait for it to end); the click
  // still positions it.
  EventCopy trigger = OwnEvent(gtk_get_current_event());
  RunSoon([this, items = std::move(items), anchor = Ref(anchor), trigger, act = std::move(act)] {
    int chosen = 0;
    // The menu's own loop runs inside the busy scope, so the window cannot close under it.
    if (!m_bDestroyed && !m_bStopped)
      m_busyScope([&] { chosen = RunPopupMenu(items, Widget(), anchor.get(), trigger.get()); });
    if (chosen != 0 && !m_bDestroyed && !m_bStopped)
      act(chosen);
  });
}

void CQuireView::ShowContentsMenu(GtkWidget* anchor) {
  if (m_bDestroyed)
    return;
  if (!m_context.book.ContentsPopup()) {
    ShowContents();
    return;
  }
  const std::vector<ContentsMenuItem> entries = BuildContentsMenu(m_context);
  std::vector<PopupItem> items;
  for (const ContentsMenuItem& entry : entries) {
    PopupItem item;
    item.id = entry.id;
    item.text = entry.text;
    items.push_back(item);
  }
  RunMenuSoon(std::move(items), anchor, [this, entries](int chosen) {
    if (chosen == kContentsMenuViewAsPage) {
      ShowContents();
      return;
    }
    for (const ContentsMenuItem& entry : entries) {
      if (entry.id == chosen && !entry.path.empty()) {
        NavigateAsCommand(entry.path);
        FocusPage();
      }
    }
  });
}

bool CQuireView::ShowPopupMenu(const GdkEvent* trigger, const std::string& linkUrl) {
  if (!m_context.book.PopupMenu())
    return false;
  // Each item runs the window's command of that name, greyed as that command is.
  struct Entry {
    int id;
    const char* text;
    const char* command;
  };
  static constexpr Entry kEntries[] = {
      {kPopupBack, "&Back", "back"},       {kPopupForward, "F&orward", "forward"},         {},
      {kPopupCopy, "&Copy", "copy"},       {kPopupSelectAll, "Select &All", "select-all"}, {},
      {kPopupPrint, "&Print...", "print"},
  };
  m_stateChanged();  // the commands' state as it is now
  GActionGroup* commands = gtk_widget_get_action_group(Widget(), "win");
  std::vector<PopupItem> items;
  // Over a link, what can be done with it comes first.
  const LinkMenuOffer link = LinkMenuFor(linkUrl);
  if (link.copyAddress) {
    items.push_back({kPopupOpenLink, "Open &Link", link.openLink});
    items.push_back({kPopupOpenLinkOutside, "Open Link Ou&tside", link.openOutside});
    items.push_back({kPopupCopyLinkAddress, "Copy Link Add&ress", true});
    items.push_back({});
  }
  for (const Entry& entry : kEntries) {
    PopupItem item;
    item.id = entry.id;
    if (entry.command != nullptr) {
      item.text = entry.text;
      item.enabled = commands != nullptr &&
                     g_action_group_get_action_enabled(commands, entry.command) != FALSE;
    }
    items.push_back(item);
  }
  int chosen = 0;
  // The menu's own loop runs inside the busy scope, so the window cannot close under it.
  m_busyScope([&] { chosen = RunPopupMenu(items, Widget(), nullptr, trigger); });
  if (m_bDestroyed || chosen == 0)
    return true;
  switch (chosen) {
    case kPopupOpenLink:
      OpenLinkAsClicked(linkUrl);
      return true;
    case kPopupOpenLinkOutside:
      ::quire::OpenOutsideLink(linkUrl);
      return true;
    case kPopupCopyLinkAddress:
      gtk_clipboard_set_text(gtk_widget_get_clipboard(Widget(), GDK_SELECTION_CLIPBOARD),
                             linkUrl.c_str(), -1);
      return true;
    default:
      break;
  }
  for (const Entry& entry : kEntries) {
    if (entry.id == chosen)
      ActivateFrameCommand(entry.command);
  }
  return true;
}

gboolean CQuireView::OnContextMenu(WebKitWebView*, WebKitContextMenu*, GdkEvent* event,
                                   WebKitHitTestResult* hit, gpointer selfPointer) {
  // WebKit's own menu offers to open links in new windows and the like; the reader never
  // shows it. Its own menu runs once the signal has returned.
  auto* self = static_cast<CQuireView*>(selfPointer);
  const char* link = hit != nullptr && webkit_hit_test_result_context_is_link(hit)
                         ? webkit_hit_test_result_get_link_uri(hit)
                         : nullptr;
  self->RunSoon([self, trigger = CopyEvent(event), link = std::string(link ? link : "")] {
    if (!self->m_bDestroyed && !self->m_bStopped && !self->ShowPopupMenu(trigger.get(), link)) {
      self->m_busyScope([self] {
        self->m_context.window->MessageBox(kPopupMenuDisabled, kMbOk | kMbIconInformation);
      });
    }
  });
  return TRUE;
}

}  // namespace quire
