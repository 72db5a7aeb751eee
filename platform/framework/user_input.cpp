// What the user does, as presenters report it: each action checks that a user could do it, changes the
// model, and sends the notification a Win32 control would send, through the message maps.
#include <algorithm>
#include <cctype>

#include "framework/window_internal.h"
#include "omraplatform/presenter.h"
#include "omraplatform/window_model.h"
#include "omraplatform/wnd.h"

namespace omra {
namespace detail {

void changed(HWND window, Change what) {
  HWND dialog = omra_dialog_of(window);
  if (dialog && dialog->presenter && dialog->has_view) dialog->presenter->Changed(window, what);
}

bool notify(HWND control, UINT code, NMHDR *nmhdr) {
  if (!control) return false;
  if (nmhdr) {
    nmhdr->hwndFrom = control;
    nmhdr->idFrom = static_cast<UINT_PTR>(control->id);
    nmhdr->code = code;
  }
  LRESULT result = 0;
  UINT id = static_cast<UINT>(control->id);
  if (control->attached && !control->is_dialog) {
    AFX_NOTIFY reflected{id, code, nmhdr, &result, true};
    if (control->attached->OnCmdMsg(reflected)) return true;
  }
  HWND dialog = control->is_dialog ? control : control->parent;
  if (!dialog || !dialog->attached) return false;
  AFX_NOTIFY n{id, code, nmhdr, &result, false};
  return dialog->attached->OnCmdMsg(n) != FALSE;
}

bool command(HWND dialog, UINT id) {
  if (HWND control = find_child(dialog, static_cast<int>(id))) return notify(control, BN_CLICKED);
  if (!dialog || !dialog->attached) return false;
  LRESULT result = 0;
  AFX_NOTIFY n{id, BN_CLICKED, nullptr, &result, false};
  return dialog->attached->OnCmdMsg(n) != FALSE;
}

HWND find_child(HWND dialog, int id) {
  if (!dialog) return nullptr;
  for (auto &child : dialog->children) {
    if (child->id == id) return child.get();
  }
  return nullptr;
}

void set_focus(HWND dialog, HWND control) {
  if (!dialog || dialog->focus == control) return;
  HWND previous = dialog->focus;
  dialog->focus = control;
  changed(previous ? previous : dialog, Change::Focus);
  changed(control ? control : dialog, Change::Focus);
}

std::vector<HWND> radio_group(HWND control) {
  std::vector<HWND> group;
  if (!control || !control->parent || control->kind != ControlKind::RadioButton) return group;
  auto &children = control->parent->children;
  auto is_radio = [](const std::unique_ptr<HWND__> &w) { return w->kind == ControlKind::RadioButton; };
  size_t index = 0;
  while (children[index].get() != control) ++index;
  // Back to the start of the group: a radio button with WS_GROUP, or the first of a run of them.
  while (index > 0 && !(children[index]->style & WS_GROUP) && is_radio(children[index - 1])) --index;
  for (size_t i = index; i < children.size() && is_radio(children[i]); ++i) {
    if (i > index && (children[i]->style & WS_GROUP)) break;
    group.push_back(children[i].get());
  }
  return group;
}

std::string window_description(HWND w) {
  if (!w) return "no window";
  if (w->is_dialog) return "dialog \"" + w->text + "\"";
  return "control " + std::to_string(w->id) + " (\"" + w->text + "\")";
}

namespace {

// A control a user can reach: it exists, its dialog is live and not ended, it is shown and enabled.
bool reachable(HWND w, std::string *why) {
  auto refuse = [why](std::string reason) {
    if (why) *why = std::move(reason);
    return false;
  };
  if (!w) return refuse("there is no such control");
  HWND dialog = omra_dialog_of(w);
  if (!dialog || dialog->ended) return refuse("its dialog has ended");
  if (!w->visible) return refuse(window_description(w) + " is hidden");
  if (!w->enabled) return refuse(window_description(w) + " is disabled");
  return true;
}

bool refuse(std::string *why, std::string reason) {
  if (why) *why = std::move(reason);
  return false;
}

}  // namespace
}  // namespace detail

using detail::changed;
using detail::reachable;
using detail::refuse;

bool UserType(HWND control, const std::string &text, std::string *why) {
  if (!reachable(control, why)) return false;
  if (control->kind != ControlKind::Edit) return refuse(why, detail::window_description(control) + " is not an edit control");
  if (control->style & ES_READONLY) return refuse(why, detail::window_description(control) + " is read-only");
  detail::set_focus(control->parent, control);
  std::string typed = text;
  if (control->style & ES_NUMBER) {
    typed.erase(std::remove_if(typed.begin(), typed.end(), [](unsigned char c) { return !std::isdigit(c); }),
                typed.end());
  }
  if (control->text_limit > 0 && typed.size() > static_cast<size_t>(control->text_limit)) {
    typed.resize(static_cast<size_t>(control->text_limit));
  }
  if (typed == control->text) return true;
  control->text = typed;
  changed(control, Change::Text);
  detail::notify(control, EN_CHANGE);
  return true;
}

bool UserClick(HWND control, std::string *why) {
  if (!reachable(control, why)) return false;
  switch (control->kind) {
    case ControlKind::PushButton: break;
    case ControlKind::CheckBox:
      control->check = control->check ? BST_UNCHECKED : BST_CHECKED;
      changed(control, Change::Check);
      break;
    case ControlKind::RadioButton:
      for (HWND other : detail::radio_group(control)) {
        int check = other == control ? BST_CHECKED : BST_UNCHECKED;
        if (other->check != check) {
          other->check = check;
          changed(other, Change::Check);
        }
      }
      break;
    default: return refuse(why, detail::window_description(control) + " is not a button");
  }
  detail::set_focus(control->parent, control);
  detail::notify(control, BN_CLICKED);
  return true;
}

namespace {

bool check_row(HWND list, int row, std::string *why) {
  if (!reachable(list, why)) return false;
  if (list->kind != ControlKind::ListView) return refuse(why, detail::window_description(list) + " is not a list");
  if (row < 0 || row >= static_cast<int>(list->rows.size())) {
    return refuse(why, "the list " + std::to_string(list->id) + " has no row " + std::to_string(row) + " (it has " +
                           std::to_string(list->rows.size()) + ")");
  }
  return true;
}

void select_only(HWND list, int row) {
  for (int i = 0; i < static_cast<int>(list->rows.size()); ++i) {
    UINT &state = list->rows[i].state;
    state = i == row ? (state | LVIS_SELECTED | LVIS_FOCUSED) : (state & ~(LVIS_SELECTED | LVIS_FOCUSED));
  }
  changed(list, Change::Selection);
  detail::set_focus(list->parent, list);
}

}  // namespace

bool UserClickRow(HWND list, int row, std::string *why) {
  if (!check_row(list, row, why)) return false;
  select_only(list, row);
  NMITEMACTIVATE click{{}, row, 0};
  detail::notify(list, NM_CLICK, &click.hdr);
  return true;
}

bool UserDoubleClickRow(HWND list, int row, std::string *why) {
  if (!check_row(list, row, why)) return false;
  select_only(list, row);
  NMITEMACTIVATE click{{}, row, 0};
  detail::notify(list, NM_DBLCLK, &click.hdr);
  return true;
}

void UserMovesSelection(HWND list, const std::vector<int> &rows, int focused) {
  if (!list || list->kind != ControlKind::ListView) return;
  for (int i = 0; i < static_cast<int>(list->rows.size()); ++i) {
    UINT &state = list->rows[i].state;
    state &= ~(LVIS_SELECTED | LVIS_FOCUSED);
    if (std::find(rows.begin(), rows.end(), i) != rows.end()) state |= LVIS_SELECTED;
    if (i == focused) state |= LVIS_FOCUSED;
  }
}

bool UserSelectTab(HWND tab, int index, std::string *why) {
  if (!reachable(tab, why)) return false;
  if (tab->kind != ControlKind::Tab) return refuse(why, detail::window_description(tab) + " is not a tab control");
  if (index < 0 || index >= static_cast<int>(tab->tabs.size())) {
    return refuse(why, "the tab control " + std::to_string(tab->id) + " has no tab " + std::to_string(index));
  }
  detail::set_focus(tab->parent, tab);
  if (tab->current_tab == index) return true;
  tab->current_tab = index;
  changed(tab, Change::Tabs);
  NMHDR hdr{};
  detail::notify(tab, TCN_SELCHANGE, &hdr);
  return true;
}

bool UserPressKey(HWND dialog, Key key, std::string *why) {
  if (!dialog || !dialog->is_dialog || dialog->ended) return refuse(why, "no dialog is waiting for the key");
  switch (key) {
    case Key::Enter: {
      // The focused push button, else the default push button, else IDOK.
      HWND target = dialog->focus && dialog->focus->kind == ControlKind::PushButton ? dialog->focus : nullptr;
      if (!target) {
        for (auto &child : dialog->children) {
          if (child->kind == ControlKind::PushButton && (child->style & 0xFu) == BS_DEFPUSHBUTTON) {
            target = child.get();
            break;
          }
        }
      }
      if (!target) target = detail::find_child(dialog, IDOK);
      if (!target) {
        detail::command(dialog, IDOK);
        return true;
      }
      // A hidden or disabled default button makes Enter do nothing, as in Win32.
      if (target->visible && target->enabled) detail::notify(target, BN_CLICKED);
      return true;
    }
    case Key::Escape: {
      HWND cancel = detail::find_child(dialog, IDCANCEL);
      if (cancel && !cancel->enabled) return true;
      detail::command(dialog, IDCANCEL);
      return true;
    }
    case Key::F1: {
      HELPINFO info{sizeof(HELPINFO), 1, dialog->focus ? dialog->focus->id : dialog->id,
                    dialog->focus ? dialog->focus : dialog};
      if (dialog->attached) dialog->attached->OnHelpInfo(&info);
      return true;
    }
  }
  return false;
}

bool UserFocus(HWND control, std::string *why) {
  if (!reachable(control, why)) return false;
  switch (control->kind) {
    case ControlKind::Static:
    case ControlKind::Icon:
    case ControlKind::GroupBox: return refuse(why, detail::window_description(control) + " cannot take the focus");
    default: break;
  }
  detail::set_focus(control->parent, control);
  return true;
}

}  // namespace omra
