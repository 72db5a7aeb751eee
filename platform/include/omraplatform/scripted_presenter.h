// The scripted presenter: the framework's test driver.
//
// A test queues what a user does (steps), installs the presenter, runs the code that shows dialogs, and
// reads what the user saw. Steps are taken one at a time while a modal dialog waits for the user, on
// the innermost dialog; a message box takes the next Answer step. When a modal dialog waits and no step
// is left, when a step cannot be done (a hidden button, a row that does not exist) or when a message
// box appears without an Answer step next, the presenter reports a failure and ends the dialog as
// Cancel (the message box with its default button), so a test never hangs. Failures go to the failure
// handler: by default a message on standard error and abort().
//
// Text measurement is deterministic: every character is kCharWidth pixels wide, lines are kLineHeight
// pixels high, and wrapping breaks at blanks (or inside a word longer than the width).
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "omraplatform/export.h"
#include "omraplatform/presenter.h"

namespace omra {

// What the user sees of one control.
struct ControlView {
  int id = 0;
  ControlKind kind = ControlKind::Static;
  std::string text;
  bool visible = false, enabled = false, focused = false, checked = false;
  DWORD style = 0;
  RECT rect{};
  int text_limit = 0;
  std::vector<std::string> columns;
  std::vector<int> column_widths;
  std::vector<std::vector<std::string>> rows;
  std::vector<LPARAM> row_data;
  int selected_row = -1, focused_row = -1, scrolled_to = -1;
  std::vector<std::string> tabs;
  int current_tab = -1;
  bool has_icon = false;
};

// What the user sees of one dialog, copied at one moment.
struct OMRAPLATFORM_API DialogView {
  explicit DialogView(HWND dialog);
  DialogView() = default;

  UINT template_id = 0;
  std::string title;
  RECT rect{};  // window rectangle, screen pixels
  RECT client{};
  bool modal = false, visible = false, foreground = false;
  int result = 0;  // the EndDialog value, once ended
  std::vector<ControlView> controls;

  // The control with that id; a missing id throws std::out_of_range naming it.
  const ControlView &control(int id) const;
  bool has(int id) const;
  const std::string &Text(int id) const { return control(id).text; }
  bool Visible(int id) const { return control(id).visible; }
  bool Enabled(int id) const { return control(id).enabled; }
  bool Focused(int id) const { return control(id).focused; }
  bool Checked(int id) const { return control(id).checked; }
};

struct MessageBoxCall {
  std::string text, caption;
  UINT type;               // MB_ buttons, icon and default button as the program asked
  std::vector<int> buttons;  // the answers the box offered (IDOK, IDYES, ...), in order
  int answer;
};
struct HelpCall {
  std::string file;
  UINT command;
  ULONG_PTR data;
};
struct ShellCall {
  std::string operation, file, parameters, directory;
  int show;
};

class OMRAPLATFORM_API ScriptedPresenter : public Presenter {
 public:
  static constexpr int kCharWidth = 6;
  static constexpr int kLineHeight = 13;
  static constexpr int kScreenWidth = 1280;
  static constexpr int kScreenHeight = 1024;
  static constexpr Frame kFrame{3, 22, 3, 3};

  ScriptedPresenter();
  ~ScriptedPresenter() override;

  // Steps, in the order the user takes them.
  ScriptedPresenter &Type(int id, std::string text);
  ScriptedPresenter &Click(int id);
  ScriptedPresenter &ClickRow(int id, int row);
  ScriptedPresenter &DoubleClickRow(int id, int row);
  ScriptedPresenter &SelectTab(int id, int index);
  ScriptedPresenter &Press(Key key);
  ScriptedPresenter &Focus(int id);
  // Answers the next message box with IDOK, IDCANCEL, IDYES or IDNO.
  ScriptedPresenter &Answer(int button);
  // Runs check on what the innermost dialog shows at this point (it may add failures of its own).
  ScriptedPresenter &Inspect(std::function<void(const DialogView &)> check);
  size_t PendingSteps() const { return m_steps.size(); }

  // What the user saw.
  DialogView Current() const;  // the innermost live dialog; a default view when there is none
  const std::vector<DialogView> &Closed() const { return m_closed; }  // each dialog as it was destroyed
  const std::vector<MessageBoxCall> &MessageBoxes() const { return m_boxes; }
  const std::vector<HelpCall> &HelpCalls() const { return m_help; }
  const std::vector<ShellCall> &ShellCalls() const { return m_shell; }
  const std::vector<std::string> &Failures() const { return m_failures; }
  void OnFailure(std::function<void(const std::string &)> handler) { m_on_failure = std::move(handler); }

  // Presenter.
  SIZE DialogBaseUnits(HWND dialog) override { return {kCharWidth, kLineHeight}; }
  Frame DialogFrame(HWND dialog) override { return kFrame; }
  SIZE ScreenSize() override { return {kScreenWidth, kScreenHeight}; }
  bool CreateView(HWND dialog) override { return true; }
  void DestroyView(HWND dialog) override;
  void Changed(HWND window, Change what) override {}
  void Paint(HWND dialog) override {}
  void RunModal(HWND dialog) override;
  void EndModal(HWND dialog) override {}
  int MessageBox(HWND owner, const char *text, const char *caption, UINT type) override;
  bool Help(HWND owner, const char *file, UINT command, ULONG_PTR data) override;
  bool ShellOpen(HWND owner, const char *operation, const char *file, const char *parameters,
                 const char *directory, int show) override;
  SIZE MeasureText(HWND window, const char *text, int width, UINT format) override;

 private:
  enum class Action { Type, Click, ClickRow, DoubleClickRow, SelectTab, Press, Focus, Answer, Inspect };
  struct Step {
    Action action;
    int id = 0;
    int number = 0;  // row, tab, key or answer
    std::string text;
    std::function<void(const DialogView &)> check;
  };
  void fail(const std::string &message);
  void perform(HWND dialog, const Step &step);
  static std::string describe(const Step &step);

  std::deque<Step> m_steps;
  std::vector<DialogView> m_closed;
  std::vector<MessageBoxCall> m_boxes;
  std::vector<HelpCall> m_help;
  std::vector<ShellCall> m_shell;
  std::vector<std::string> m_failures;
  std::function<void(const std::string &)> m_on_failure;
};

// Installs a presenter for a scope and puts the previous one back.
class OMRAPLATFORM_API ScopedPresenter {
 public:
  explicit ScopedPresenter(Presenter &presenter);
  ~ScopedPresenter();
  ScopedPresenter(const ScopedPresenter &) = delete;
  ScopedPresenter &operator=(const ScopedPresenter &) = delete;

 private:
  Presenter *m_previous;
};

}  // namespace omra
