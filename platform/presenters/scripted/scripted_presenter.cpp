// The scripted presenter: steps taken while modal dialogs wait, and a record of what the user saw.
#include "omraplatform/scripted_presenter.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include "framework/text_measure.h"
#include "framework/window_internal.h"

namespace omra {

namespace {

const char *key_name(int key) {
  switch (static_cast<Key>(key)) {
    case Key::Enter: return "Enter";
    case Key::Escape: return "Esc";
    case Key::F1: return "F1";
  }
  return "?";
}

const char *answer_name(int answer) {
  switch (answer) {
    case IDOK: return "IDOK";
    case IDCANCEL: return "IDCANCEL";
    case IDYES: return "IDYES";
    case IDNO: return "IDNO";
    default: return "?";
  }
}

std::string dialog_name(HWND dialog) {
  return "the dialog \"" + dialog->text + "\" (template " + std::to_string(dialog->id) + ")";
}

}  // namespace

DialogView::DialogView(HWND dialog) {
  if (!dialog) return;
  template_id = static_cast<UINT>(dialog->id);
  title = dialog->text;
  rect = dialog->rect;
  const RECT &f = dialog->frame;
  client = {0, 0, rect.right - rect.left - f.left - f.right, rect.bottom - rect.top - f.top - f.bottom};
  modal = dialog->modal;
  visible = dialog->visible;
  foreground = dialog->foreground;
  result = dialog->modal_result;
  for (auto &child : dialog->children) {
    ControlView c;
    c.id = child->id;
    c.kind = child->kind;
    c.text = child->text;
    c.visible = child->visible;
    c.enabled = child->enabled;
    c.focused = dialog->focus == child.get();
    c.checked = child->check == BST_CHECKED;
    c.style = child->style;
    c.rect = child->rect;
    c.text_limit = child->text_limit;
    for (const ListColumn &col : child->columns) {
      c.columns.push_back(col.text);
      c.column_widths.push_back(col.width);
    }
    for (size_t i = 0; i < child->rows.size(); ++i) {
      const ListRow &row = child->rows[i];
      std::vector<std::string> texts = row.texts;
      texts.resize(std::max(texts.size(), child->columns.size()));
      c.rows.push_back(texts);
      c.row_data.push_back(row.data);
      if ((row.state & LVIS_SELECTED) && c.selected_row < 0) c.selected_row = static_cast<int>(i);
      if (row.state & LVIS_FOCUSED) c.focused_row = static_cast<int>(i);
    }
    c.scrolled_to = child->scrolled_to;
    c.tabs = child->tabs;
    c.current_tab = child->current_tab;
    c.has_icon = child->icon != nullptr;
    controls.push_back(std::move(c));
  }
}

const ControlView &DialogView::control(int id) const {
  for (const ControlView &c : controls) {
    if (c.id == id) return c;
  }
  throw std::out_of_range("the dialog \"" + title + "\" has no control " + std::to_string(id));
}

bool DialogView::has(int id) const {
  return std::any_of(controls.begin(), controls.end(), [id](const ControlView &c) { return c.id == id; });
}

ScriptedPresenter::ScriptedPresenter() {
  m_on_failure = [](const std::string &message) {
    std::fprintf(stderr, "scripted presenter: %s\n", message.c_str());
    std::abort();
  };
}

ScriptedPresenter::~ScriptedPresenter() = default;

ScriptedPresenter &ScriptedPresenter::Type(int id, std::string text) {
  m_steps.push_back({Action::Type, id, 0, std::move(text), nullptr});
  return *this;
}
ScriptedPresenter &ScriptedPresenter::Click(int id) {
  m_steps.push_back({Action::Click, id, 0, {}, nullptr});
  return *this;
}
ScriptedPresenter &ScriptedPresenter::ClickRow(int id, int row) {
  m_steps.push_back({Action::ClickRow, id, row, {}, nullptr});
  return *this;
}
ScriptedPresenter &ScriptedPresenter::DoubleClickRow(int id, int row) {
  m_steps.push_back({Action::DoubleClickRow, id, row, {}, nullptr});
  return *this;
}
ScriptedPresenter &ScriptedPresenter::SelectTab(int id, int index) {
  m_steps.push_back({Action::SelectTab, id, index, {}, nullptr});
  return *this;
}
ScriptedPresenter &ScriptedPresenter::Press(Key key) {
  m_steps.push_back({Action::Press, 0, static_cast<int>(key), {}, nullptr});
  return *this;
}
ScriptedPresenter &ScriptedPresenter::Focus(int id) {
  m_steps.push_back({Action::Focus, id, 0, {}, nullptr});
  return *this;
}
ScriptedPresenter &ScriptedPresenter::Answer(int button) {
  m_steps.push_back({Action::Answer, 0, button, {}, nullptr});
  return *this;
}
ScriptedPresenter &ScriptedPresenter::Inspect(std::function<void(const DialogView &)> check) {
  m_steps.push_back({Action::Inspect, 0, 0, {}, std::move(check)});
  return *this;
}

DialogView ScriptedPresenter::Current() const { return DialogView(InnermostDialog()); }

void ScriptedPresenter::fail(const std::string &message) {
  m_failures.push_back(message);
  if (m_on_failure) m_on_failure(message);
}

std::string ScriptedPresenter::describe(const Step &step) {
  switch (step.action) {
    case Action::Type: return "Type(" + std::to_string(step.id) + ", \"" + step.text + "\")";
    case Action::Click: return "Click(" + std::to_string(step.id) + ")";
    case Action::ClickRow: return "ClickRow(" + std::to_string(step.id) + ", " + std::to_string(step.number) + ")";
    case Action::DoubleClickRow:
      return "DoubleClickRow(" + std::to_string(step.id) + ", " + std::to_string(step.number) + ")";
    case Action::SelectTab: return "SelectTab(" + std::to_string(step.id) + ", " + std::to_string(step.number) + ")";
    case Action::Press: return std::string("Press(") + key_name(step.number) + ")";
    case Action::Focus: return "Focus(" + std::to_string(step.id) + ")";
    case Action::Answer: return std::string("Answer(") + answer_name(step.number) + ")";
    case Action::Inspect: return "Inspect";
  }
  return "?";
}

void ScriptedPresenter::perform(HWND dialog, const Step &step) {
  std::string why;
  bool done = true;
  HWND control = detail::find_child(dialog, step.id);
  switch (step.action) {
    case Action::Type: done = UserType(control, step.text, &why); break;
    case Action::Click: done = UserClick(control, &why); break;
    case Action::ClickRow: done = UserClickRow(control, step.number, &why); break;
    case Action::DoubleClickRow:
      // A double click is a click followed by a double click, as the list view reports it.
      done = UserClickRow(control, step.number, &why) &&
             (omra_dialog_of(control)->ended || UserDoubleClickRow(control, step.number, &why));
      break;
    case Action::SelectTab: done = UserSelectTab(control, step.number, &why); break;
    case Action::Press: done = UserPressKey(dialog, static_cast<Key>(step.number), &why); break;
    case Action::Focus: done = UserFocus(control, &why); break;
    case Action::Inspect: step.check(DialogView(dialog)); break;
    case Action::Answer:
      done = false;
      why = "no message box is shown";
      break;
  }
  if (!done) fail(describe(step) + " in " + dialog_name(dialog) + " cannot be done: " + why);
}

void ScriptedPresenter::RunModal(HWND dialog) {
  while (!dialog->ended) {
    if (m_steps.empty()) {
      fail(dialog_name(dialog) + " waits for the user, but no steps are left; it ends as Cancel");
      dialog->ended = true;
      dialog->modal_result = IDCANCEL;
      return;
    }
    Step step = std::move(m_steps.front());
    m_steps.pop_front();
    perform(dialog, step);
  }
}

void ScriptedPresenter::DestroyView(HWND dialog) { m_closed.emplace_back(dialog); }

int ScriptedPresenter::MessageBox(HWND owner, const char *text, const char *caption, UINT type) {
  std::vector<int> buttons = MessageBoxButtons(type);
  int answer = MessageBoxDefault(type);
  std::string what = std::string("the message box \"") + text + "\"";
  // Inspect steps before the answer look at the dialog under the box.
  while (!m_steps.empty() && m_steps.front().action == Action::Inspect) {
    Step step = std::move(m_steps.front());
    m_steps.pop_front();
    step.check(DialogView(owner ? owner : InnermostDialog()));
  }
  if (m_steps.empty()) {
    fail(what + " waits for an answer, but no steps are left; it takes its default button");
  } else if (m_steps.front().action != Action::Answer) {
    fail(what + " waits for an answer, but the next step is " + describe(m_steps.front()) +
         "; it takes its default button");
  } else {
    int wanted = m_steps.front().number;
    m_steps.pop_front();
    if (std::find(buttons.begin(), buttons.end(), wanted) != buttons.end()) {
      answer = wanted;
    } else {
      fail(what + " has no button " + answer_name(wanted) + "; it takes its default button");
    }
  }
  m_boxes.push_back({text, caption, type, buttons, answer});
  return answer;
}

bool ScriptedPresenter::Help(HWND, const char *file, UINT command, ULONG_PTR data) {
  m_help.push_back({file ? file : "", command, data});
  return true;
}

bool ScriptedPresenter::ShellOpen(HWND, const char *operation, const char *file, const char *parameters,
                                  const char *directory, int show) {
  m_shell.push_back({operation, file, parameters, directory, show});
  return true;
}

SIZE ScriptedPresenter::MeasureText(HWND, const char *text, int width, UINT format) {
  return detail::measure_fixed(text, width, format, kCharWidth, kLineHeight);
}

}  // namespace omra
