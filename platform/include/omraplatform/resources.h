// Resources and module state.
//
// A library keeps its dialog templates, string table and bitmaps as C++ data (ModuleResources) under a
// module state of its own. Which module's resources a call sees is the *current* module state: the
// executable's own at start, switched for one exported call by AFX_MANAGE_STATE. Resources are looked
// up in the current module first, then in the extension modules (libraries that add their resources to
// every caller's, as OmraUtils does), in the order they registered.
#pragma once

#include <cstddef>

#include "omraplatform/cstring.h"
#include "omraplatform/export.h"
#include "omraplatform/winuser.h"

class CWinApp;
class CWnd;

// The kinds of control a dialog template can hold.
enum class ControlKind {
  PushButton,     // BS_DEFPUSHBUTTON in the style makes it the default button
  CheckBox,
  RadioButton,    // WS_GROUP starts a new group of radio buttons
  GroupBox,
  Static,         // text; SS_CENTER centres it
  Icon,           // a static that shows an icon
  Edit,           // ES_PASSWORD, ES_NUMBER, ES_READONLY
  ListView,       // report style: LVS_SINGLESEL, LVS_SORTASCENDING, LVS_SHOWSELALWAYS
  Tab,
};

// Template style bit: the control starts hidden (every other control starts shown, as in a resource
// script where NOT WS_VISIBLE is the exception).
#define TS_HIDDEN 0x80000000u  // the pop-up bit, which no control uses
#define IDC_STATIC (-1)

// One control of a dialog template; the rectangle is in dialog units.
struct DialogControl {
  int id;  // IDC_STATIC for labels nobody addresses
  ControlKind kind;
  LPCTSTR text;
  DWORD style;  // kind-specific styles plus WS_GROUP, WS_DISABLED, TS_HIDDEN
  int x, y, cx, cy;
};

// A dialog template: id (or name), title, client size in dialog units, controls in tab order.
struct DialogTemplate {
  UINT id;
  LPCTSTR name;  // for templates addressed by name; null otherwise
  LPCTSTR title;
  int cx, cy;
  DWORD style;
  const DialogControl *controls;
  size_t control_count;
};

struct StringResource {
  UINT id;
  LPCTSTR text;
};

// A device-independent bitmap: the 40-byte header, the colour table and the pixel bits, as in a .bmp
// file without its 14-byte file header, aligned to 4 bytes.
struct BitmapResource {
  UINT id;        // 0 when addressed by name only
  LPCTSTR name;   // null when addressed by number only
  const BYTE *data;
  size_t size;
};

struct ModuleResources {
  const DialogTemplate *dialogs;
  size_t dialog_count;
  const StringResource *strings;
  size_t string_count;
  const BitmapResource *bitmaps;
  size_t bitmap_count;
};

// The state of one module: its name, its resources, its application object and name.
class OMRAPLATFORM_API AFX_MODULE_STATE {
 public:
  // extension: the module's resources are searched after the current module's, for every caller.
  AFX_MODULE_STATE(LPCTSTR module_name, const ModuleResources *resources, bool extension = false);
  ~AFX_MODULE_STATE();
  AFX_MODULE_STATE(const AFX_MODULE_STATE &) = delete;
  AFX_MODULE_STATE &operator=(const AFX_MODULE_STATE &) = delete;

  void SetResources(const ModuleResources *resources) { m_resources = resources; }
  const ModuleResources *GetResources() const { return m_resources; }
  LPCTSTR GetModuleName() const { return m_module_name; }

  // Set by the module's CWinApp object; null when the module has none.
  CWinApp *m_pCurrentWinApp = nullptr;
  LPCTSTR m_lpszCurrentAppName = nullptr;

 private:
  LPCTSTR m_module_name;
  const ModuleResources *m_resources;
  bool m_extension;
};

// The module state of the current call, and the executable's own.
OMRAPLATFORM_API AFX_MODULE_STATE *AfxGetModuleState();
OMRAPLATFORM_API AFX_MODULE_STATE *AfxGetAppModuleState();
OMRAPLATFORM_API HINSTANCE AfxGetResourceHandle();
OMRAPLATFORM_API HINSTANCE AfxGetInstanceHandle();

// Makes a module state current for its lifetime and restores the previous one (for one exported call).
class OMRAPLATFORM_API AFX_MAINTAIN_STATE {
 public:
  explicit AFX_MAINTAIN_STATE(AFX_MODULE_STATE *state);
  ~AFX_MAINTAIN_STATE();
  AFX_MAINTAIN_STATE(const AFX_MAINTAIN_STATE &) = delete;
  AFX_MAINTAIN_STATE &operator=(const AFX_MAINTAIN_STATE &) = delete;

 private:
  AFX_MODULE_STATE *m_previous;
};
#define AFX_MANAGE_STATE(p) AFX_MAINTAIN_STATE afx_maintain_state_(p)

// The application object of a module. Its name is the caption of the module's message boxes.
class OMRAPLATFORM_API CWinApp {
 public:
  explicit CWinApp(LPCTSTR app_name, AFX_MODULE_STATE *module = AfxGetModuleState());
  virtual ~CWinApp();
  CWinApp(const CWinApp &) = delete;
  CWinApp &operator=(const CWinApp &) = delete;

  HICON LoadStandardIcon(LPCTSTR name) const { return ::LoadIcon(nullptr, name); }

  LPCTSTR m_pszAppName;
  CWnd *m_pMainWnd = nullptr;

 private:
  AFX_MODULE_STATE *m_module;
};

// The current module's application object (null when it has none), its name (else the executable's
// name), and its main window.
OMRAPLATFORM_API CWinApp *AfxGetApp();
OMRAPLATFORM_API LPCTSTR AfxGetAppName();
OMRAPLATFORM_API CWnd *AfxGetMainWnd();

// Resource look-ups through the current module and the extension modules.
OMRAPLATFORM_API const DialogTemplate *AfxFindDialogTemplate(UINT id);
OMRAPLATFORM_API const DialogTemplate *AfxFindDialogTemplate(LPCTSTR name);
OMRAPLATFORM_API BOOL AfxLoadString(UINT id, CString &text);
OMRAPLATFORM_API UINT AfxLoadString(UINT id, LPTSTR buffer, UINT max);
