// Module state and resources: which module's templates, strings and bitmaps a call sees, the
// application object of a module, and the Win32 resource functions over the registered C++ data.
#include <strings.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "omraplatform/resources.h"
#include "omraplatform/window_model.h"

namespace {

AFX_MODULE_STATE &app_module() {
  static AFX_MODULE_STATE state(program_invocation_short_name, nullptr);
  return state;
}

// The current module of this thread; null means the executable's.
thread_local AFX_MODULE_STATE *t_current = nullptr;

std::vector<AFX_MODULE_STATE *> &extension_modules() {
  static std::vector<AFX_MODULE_STATE *> modules;
  return modules;
}

// The modules a look-up searches, in order: the current one, then the extension modules.
std::vector<AFX_MODULE_STATE *> search_order() {
  std::vector<AFX_MODULE_STATE *> order{AfxGetModuleState()};
  for (AFX_MODULE_STATE *m : extension_modules()) {
    if (std::find(order.begin(), order.end(), m) == order.end()) order.push_back(m);
  }
  return order;
}

template <class Match>
const DialogTemplate *find_template(Match match) {
  for (AFX_MODULE_STATE *m : search_order()) {
    const ModuleResources *r = m->GetResources();
    if (!r) continue;
    for (size_t i = 0; i < r->dialog_count; ++i) {
      if (match(r->dialogs[i])) return &r->dialogs[i];
    }
  }
  return nullptr;
}

const StringResource *find_string(HINSTANCE module, UINT id) {
  std::vector<AFX_MODULE_STATE *> order = module ? std::vector<AFX_MODULE_STATE *>{module} : search_order();
  for (AFX_MODULE_STATE *m : order) {
    const ModuleResources *r = m->GetResources();
    if (!r) continue;
    for (size_t i = 0; i < r->string_count; ++i) {
      if (r->strings[i].id == id) return &r->strings[i];
    }
  }
  return nullptr;
}

}  // namespace

AFX_MODULE_STATE::AFX_MODULE_STATE(LPCTSTR module_name, const ModuleResources *resources, bool extension)
    : m_module_name(module_name), m_resources(resources), m_extension(extension) {
  if (extension) extension_modules().push_back(this);
}

AFX_MODULE_STATE::~AFX_MODULE_STATE() {
  if (m_extension) {
    auto &list = extension_modules();
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
  }
  if (t_current == this) t_current = nullptr;
}

AFX_MODULE_STATE *AfxGetModuleState() { return t_current ? t_current : &app_module(); }
AFX_MODULE_STATE *AfxGetAppModuleState() { return &app_module(); }
HINSTANCE AfxGetResourceHandle() { return AfxGetModuleState(); }
HINSTANCE AfxGetInstanceHandle() { return AfxGetModuleState(); }

AFX_MAINTAIN_STATE::AFX_MAINTAIN_STATE(AFX_MODULE_STATE *state) : m_previous(t_current) {
  t_current = state;
}
AFX_MAINTAIN_STATE::~AFX_MAINTAIN_STATE() { t_current = m_previous; }

CWinApp::CWinApp(LPCTSTR app_name, AFX_MODULE_STATE *module) : m_pszAppName(app_name), m_module(module) {
  m_module->m_pCurrentWinApp = this;
  m_module->m_lpszCurrentAppName = app_name;
}

CWinApp::~CWinApp() {
  if (m_module->m_pCurrentWinApp == this) {
    m_module->m_pCurrentWinApp = nullptr;
    m_module->m_lpszCurrentAppName = nullptr;
  }
}

CWinApp *AfxGetApp() { return AfxGetModuleState()->m_pCurrentWinApp; }

LPCTSTR AfxGetAppName() {
  LPCTSTR name = AfxGetModuleState()->m_lpszCurrentAppName;
  if (name) return name;
  name = AfxGetAppModuleState()->m_lpszCurrentAppName;
  return name ? name : program_invocation_short_name;
}

CWnd *AfxGetMainWnd() {
  CWinApp *app = AfxGetApp();
  if (!app) app = AfxGetAppModuleState()->m_pCurrentWinApp;
  return app ? app->m_pMainWnd : nullptr;
}

const DialogTemplate *AfxFindDialogTemplate(UINT id) {
  return find_template([id](const DialogTemplate &t) { return !t.name && t.id == id; });
}

const DialogTemplate *AfxFindDialogTemplate(LPCTSTR name) {
  if (!name) return nullptr;
  if (IS_INTRESOURCE(name)) return AfxFindDialogTemplate(static_cast<UINT>(reinterpret_cast<uintptr_t>(name)));
  return find_template([name](const DialogTemplate &t) { return t.name && strcasecmp(t.name, name) == 0; });
}

BOOL AfxLoadString(UINT id, CString &text) {
  const StringResource *s = find_string(nullptr, id);
  if (!s) return FALSE;
  text = s->text;
  return TRUE;
}

BOOL CString::LoadString(UINT id) { return AfxLoadString(id, *this); }

UINT AfxLoadString(UINT id, LPTSTR buffer, UINT max) {
  if (!buffer || max == 0) return 0;
  buffer[0] = '\0';
  const StringResource *s = find_string(nullptr, id);
  if (!s) return 0;
  size_t n = std::min<size_t>(std::strlen(s->text), max - 1);
  std::memcpy(buffer, s->text, n);
  buffer[n] = '\0';
  return static_cast<UINT>(n);
}

int LoadString(HINSTANCE module, UINT id, LPTSTR buffer, int max) {
  if (!buffer || max <= 0) return 0;
  buffer[0] = '\0';
  const StringResource *s = find_string(module, id);
  if (!s) return 0;
  size_t n = std::min<size_t>(std::strlen(s->text), static_cast<size_t>(max) - 1);
  std::memcpy(buffer, s->text, n);
  buffer[n] = '\0';
  return static_cast<int>(n);
}

HMODULE GetModuleHandle(LPCTSTR name) {
  if (!name) return AfxGetAppModuleState();
  for (AFX_MODULE_STATE *m : extension_modules()) {
    if (strcasecmp(m->GetModuleName(), name) == 0) return m;
  }
  return nullptr;
}

// A found resource handle is the address of the registered BitmapResource.
static const BitmapResource *bitmap_of(HRSRC resource) {
  return reinterpret_cast<const BitmapResource *>(resource);
}

HRSRC FindResource(HMODULE module, LPCTSTR name, LPCTSTR type) {
  if (!module || !name || type != RT_BITMAP) return nullptr;
  const ModuleResources *r = module->GetResources();
  if (!r) return nullptr;
  for (size_t i = 0; i < r->bitmap_count; ++i) {
    const BitmapResource &b = r->bitmaps[i];
    bool match = IS_INTRESOURCE(name) ? (b.id != 0 && b.id == reinterpret_cast<uintptr_t>(name))
                                      : (b.name && strcasecmp(b.name, name) == 0);
    if (match) return reinterpret_cast<HRSRC>(&b);
  }
  return nullptr;
}

HGLOBAL LoadResource(HMODULE module, HRSRC resource) { return resource ? bitmap_of(resource)->data : nullptr; }
LPVOID LockResource(HGLOBAL data) { return const_cast<void *>(data); }
DWORD SizeofResource(HMODULE module, HRSRC resource) {
  return resource ? static_cast<DWORD>(bitmap_of(resource)->size) : 0;
}
