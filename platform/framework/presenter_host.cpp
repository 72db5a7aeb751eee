// Choosing the presenter (installed, the Qt plugin loaded on first use, or headless), the live-dialog
// list, and the calls handed to the presenter: message boxes, WinHelp, the shell's "open".
#include <dlfcn.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "framework/text_measure.h"
#include "framework/window_internal.h"
#include "omraplatform/dialog.h"
#include "omraplatform/presenter.h"
#include "omraplatform/scripted_presenter.h"

namespace omra {

Presenter::~Presenter() = default;

namespace {

bool has_display() {
  for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
    const char *value = std::getenv(name);
    if (value && *value) return true;
  }
  return false;
}

// Shows nothing: dialogs cannot be created (CDialog prints why), message boxes print their text and
// answer their default button, help and shell calls print why they cannot be done.
class HeadlessPresenter : public Presenter {
 public:
  explicit HeadlessPresenter(std::string why) : m_why(std::move(why)) {}
  const char *Unavailable() override { return m_why.c_str(); }
  SIZE DialogBaseUnits(HWND) override { return {ScriptedPresenter::kCharWidth, ScriptedPresenter::kLineHeight}; }
  Frame DialogFrame(HWND) override { return ScriptedPresenter::kFrame; }
  SIZE ScreenSize() override { return {ScriptedPresenter::kScreenWidth, ScriptedPresenter::kScreenHeight}; }
  bool CreateView(HWND) override { return false; }
  void DestroyView(HWND) override {}
  void Changed(HWND, Change) override {}
  void Paint(HWND) override {}
  void RunModal(HWND dialog) override {
    dialog->ended = true;
    dialog->modal_result = IDCANCEL;
  }
  void EndModal(HWND) override {}
  int MessageBox(HWND, const char *text, const char *caption, UINT type) override {
    std::string line = text ? text : "";
    std::replace(line.begin(), line.end(), '\n', ' ');
    int answer = MessageBoxDefault(type);
    std::fprintf(stderr, "%s: %s [answered %s: %s]\n", caption ? caption : "", line.c_str(),
                 answer == IDYES ? "Yes" : answer == IDNO ? "No" : answer == IDCANCEL ? "Cancel" : "OK",
                 m_why.c_str());
    return answer;
  }
  bool Help(HWND, const char *file, UINT command, ULONG_PTR data) override {
    std::fprintf(stderr, "cannot open the help file %s (context %lu): %s\n", file ? file : "",
                 static_cast<unsigned long>(data), m_why.c_str());
    return false;
  }
  bool ShellOpen(HWND, const char *, const char *file, const char *, const char *, int) override {
    std::fprintf(stderr, "cannot open %s: %s\n", file ? file : "", m_why.c_str());
    return false;
  }
  SIZE MeasureText(HWND, const char *text, int width, UINT format) override {
    return detail::measure_fixed(text, width, format, ScriptedPresenter::kCharWidth,
                                 ScriptedPresenter::kLineHeight);
  }

 private:
  std::string m_why;
};

Presenter *g_installed = nullptr;
Presenter *g_chosen = nullptr;  // the Qt or headless presenter, made once
bool g_qt_loaded = false;

std::string plugin_path() {
  if (const char *env = std::getenv("OMRA_PRESENTER_PATH"); env && *env) return env;
  Dl_info info{};
  if (dladdr(reinterpret_cast<void *>(&GetPresenter), &info) && info.dli_fname) {
    std::string lib = info.dli_fname;
    size_t slash = lib.rfind('/');
    std::string dir = slash == std::string::npos ? "." : lib.substr(0, slash);
    std::string installed = dir + "/omra/libomra_qt_presenter.so";
    if (access(installed.c_str(), R_OK) == 0) return installed;
  }
#ifdef OMRA_BUILD_PRESENTER_PATH
  return OMRA_BUILD_PRESENTER_PATH;
#else
  return "libomra_qt_presenter.so";
#endif
}

Presenter *choose() {
  if (!has_display()) {
    return new HeadlessPresenter("no display (DISPLAY and WAYLAND_DISPLAY are not set)");
  }
  std::string path = plugin_path();
  void *handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    const char *error = dlerror();
    return new HeadlessPresenter(std::string("the Qt presenter could not be loaded: ") +
                                 (error ? error : path.c_str()));
  }
  using Factory = Presenter *(*)(const char **why);
  auto factory = reinterpret_cast<Factory>(dlsym(handle, "omra_create_qt_presenter"));
  const char *why = nullptr;
  Presenter *qt = factory ? factory(&why) : nullptr;
  if (!qt) {
    return new HeadlessPresenter(why ? why : "the Qt presenter " + path + " did not start");
  }
  // The plugin stays loaded for the life of the process: Qt cannot be unloaded safely.
  g_qt_loaded = true;
  return qt;
}

std::vector<HWND> &live_dialogs() {
  static std::vector<HWND> dialogs;
  return dialogs;
}

}  // namespace

void SetPresenter(Presenter *presenter) { g_installed = presenter; }

Presenter *GetPresenter() {
  if (g_installed) return g_installed;
  if (!g_chosen) g_chosen = choose();
  return g_chosen;
}

bool QtPresenterLoaded() { return g_qt_loaded; }

ScopedPresenter::ScopedPresenter(Presenter &presenter) : m_previous(g_installed) {
  g_installed = &presenter;
}
ScopedPresenter::~ScopedPresenter() { g_installed = m_previous; }

std::vector<int> MessageBoxButtons(UINT type) {
  switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL: return {IDOK, IDCANCEL};
    case MB_YESNOCANCEL: return {IDYES, IDNO, IDCANCEL};
    case MB_YESNO: return {IDYES, IDNO};
    default: return {IDOK};
  }
}

int MessageBoxDefault(UINT type) {
  std::vector<int> buttons = MessageBoxButtons(type);
  size_t index = (type & MB_DEFMASK) >> 8;
  return buttons[index < buttons.size() ? index : 0];
}

std::vector<HWND> LiveDialogs() { return live_dialogs(); }

HWND InnermostDialog() {
  HWND active = detail::active_dialog();
  if (active) return active;
  return live_dialogs().empty() ? nullptr : live_dialogs().back();
}

namespace detail {

void register_dialog(HWND dialog) { live_dialogs().push_back(dialog); }

void unregister_dialog(HWND dialog) {
  auto &list = live_dialogs();
  list.erase(std::remove(list.begin(), list.end(), dialog), list.end());
}

HWND active_dialog() {
  auto &list = live_dialogs();
  for (auto it = list.rbegin(); it != list.rend(); ++it) {
    if ((*it)->modal && !(*it)->ended) return *it;
  }
  return nullptr;
}

}  // namespace detail
}  // namespace omra

int MessageBox(HWND owner, LPCTSTR text, LPCTSTR caption, UINT type) {
  return omra::GetPresenter()->MessageBox(owner, text ? text : "", caption ? caption : "Error", type);
}

BOOL WinHelp(HWND owner, LPCTSTR help_file, UINT command, ULONG_PTR data) {
  if (!help_file || !*help_file) return FALSE;
  return omra::GetPresenter()->Help(owner, help_file, command, data) ? TRUE : FALSE;
}

HINSTANCE ShellExecute(HWND owner, LPCTSTR operation, LPCTSTR file, LPCTSTR parameters,
                       LPCTSTR directory, int show_command) {
  // Win32 reports success as a value above 32 and failure as an error number at most 32.
  constexpr uintptr_t kOpened = 33, kFileNotFound = 2, kNoAssociation = 31;
  if (!file || !*file) return reinterpret_cast<HINSTANCE>(kFileNotFound);
  bool ok = omra::GetPresenter()->ShellOpen(owner, operation ? operation : "open", file,
                                            parameters ? parameters : "", directory ? directory : "",
                                            show_command);
  return reinterpret_cast<HINSTANCE>(ok ? kOpened : kNoAssociation);
}

int AfxMessageBox(LPCTSTR text, UINT type, UINT help_id) {
  return MessageBox(omra::detail::active_dialog(), text, AfxGetAppName(), type);
}

int AfxMessageBox(UINT prompt_id, UINT type, UINT help_id) {
  CString text;
  if (!AfxLoadString(prompt_id, text)) text.Format("(string %u is missing)", prompt_id);
  return AfxMessageBox(text, type, help_id);
}
