// The Windows user-interface vocabulary the framework speaks: handles, rectangles, window and control
// styles, notification codes, message-box flags and answers, help and shell commands, with their Win32
// values, plus the few Win32 free functions the libraries call (message boxes, WinHelp, the shell's
// "open", string and bitmap resources).
#pragma once

#include "omraplatform/export.h"
#include "omraplatform/wintypes.h"

typedef intptr_t LPARAM;
typedef uintptr_t WPARAM;
typedef intptr_t LRESULT;
typedef uintptr_t ULONG_PTR;
typedef uintptr_t DWORD_PTR;

// A window handle names the framework's model of one window (see window_model.h); null is "no window".
typedef struct HWND__ *HWND;
// A module handle names one module state (see resources.h).
class AFX_MODULE_STATE;
typedef AFX_MODULE_STATE *HINSTANCE;
typedef HINSTANCE HMODULE;
// Resource handles: a found resource and its loaded data.
typedef const struct HRSRC__ *HRSRC;
typedef const void *HGLOBAL;
// GDI objects (see gdi.h).
typedef struct HICON__ *HICON;
typedef struct HBITMAP__ *HBITMAP;
typedef struct HPALETTE__ *HPALETTE;
typedef void *HGDIOBJ;

struct POINT {
  LONG x;
  LONG y;
};
struct SIZE {
  LONG cx;
  LONG cy;
};
struct RECT {
  LONG left;
  LONG top;
  LONG right;
  LONG bottom;
};
typedef RECT *LPRECT;
typedef const RECT *LPCRECT;

// Resource names: small integers cast to pointers, as in Win32.
#define MAKEINTRESOURCE(i) (reinterpret_cast<LPCSTR>(static_cast<uintptr_t>(static_cast<WORD>(i))))
#define IS_INTRESOURCE(p) ((reinterpret_cast<uintptr_t>(p) >> 16) == 0)
#define RT_BITMAP MAKEINTRESOURCE(2)
#define RT_DIALOG MAKEINTRESOURCE(5)
#define RT_STRING MAKEINTRESOURCE(6)

// Window styles.
#define WS_POPUP 0x80000000u
#define WS_CHILD 0x40000000u
#define WS_VISIBLE 0x10000000u
#define WS_DISABLED 0x08000000u
#define WS_CAPTION 0x00C00000u
#define WS_BORDER 0x00800000u
#define WS_VSCROLL 0x00200000u
#define WS_SYSMENU 0x00080000u
#define WS_GROUP 0x00020000u
#define WS_TABSTOP 0x00010000u
#define DS_MODALFRAME 0x80u
#define DS_CENTER 0x800u
// Button styles.
#define BS_PUSHBUTTON 0x0u
#define BS_DEFPUSHBUTTON 0x1u
#define BS_AUTOCHECKBOX 0x3u
#define BS_GROUPBOX 0x7u
#define BS_AUTORADIOBUTTON 0x9u
// Edit styles.
#define ES_LEFT 0x0u
#define ES_PASSWORD 0x20u
#define ES_AUTOHSCROLL 0x80u
#define ES_READONLY 0x800u
#define ES_NUMBER 0x2000u
// Static styles.
#define SS_LEFT 0x0u
#define SS_CENTER 0x1u
#define SS_ICON 0x3u
#define SS_NOPREFIX 0x80u
// List view styles.
#define LVS_REPORT 0x1u
#define LVS_SINGLESEL 0x4u
#define LVS_SHOWSELALWAYS 0x8u
#define LVS_SORTASCENDING 0x10u
#define LVS_EX_FULLROWSELECT 0x20u
#define LVS_EX_GRIDLINES 0x1u
#define LVIS_FOCUSED 0x1u
#define LVIS_SELECTED 0x2u
#define LVNI_ALL 0x0u
#define LVNI_FOCUSED 0x1u
#define LVNI_SELECTED 0x2u
#define LVCFMT_LEFT 0x0
#define LVIF_TEXT 0x1u
#define LVIF_PARAM 0x4u
#define LVIF_STATE 0x8u
#define LVFI_PARAM 0x1u

// Dialog answers and the standard command ids.
#define IDOK 1
#define IDCANCEL 2
#define IDABORT 3
#define IDRETRY 4
#define IDIGNORE 5
#define IDYES 6
#define IDNO 7
#define IDHELP 9

// Message boxes: buttons, icons, default button.
#define MB_OK 0x0u
#define MB_OKCANCEL 0x1u
#define MB_YESNOCANCEL 0x3u
#define MB_YESNO 0x4u
#define MB_TYPEMASK 0xFu
#define MB_ICONHAND 0x10u
#define MB_ICONERROR MB_ICONHAND
#define MB_ICONSTOP MB_ICONHAND
#define MB_ICONQUESTION 0x20u
#define MB_ICONEXCLAMATION 0x30u
#define MB_ICONWARNING MB_ICONEXCLAMATION
#define MB_ICONASTERISK 0x40u
#define MB_ICONINFORMATION MB_ICONASTERISK
#define MB_ICONMASK 0xF0u
#define MB_DEFBUTTON1 0x0u
#define MB_DEFBUTTON2 0x100u
#define MB_DEFBUTTON3 0x200u
#define MB_DEFMASK 0xF00u

// Notification codes: button and edit commands, then WM_NOTIFY codes.
#define BN_CLICKED 0u
#define EN_CHANGE 0x300u
#define NM_CLICK (static_cast<UINT>(-2))
#define NM_DBLCLK (static_cast<UINT>(-3))
#define LVN_ITEMCHANGED (static_cast<UINT>(-101))
#define TCN_SELCHANGE (static_cast<UINT>(-551))

// Check states.
#define BST_UNCHECKED 0
#define BST_CHECKED 1

// ShowWindow commands.
#define SW_HIDE 0
#define SW_SHOWNORMAL 1
#define SW_SHOW 5

// DrawText formats.
#define DT_LEFT 0x0u
#define DT_CENTER 0x1u
#define DT_WORDBREAK 0x10u
#define DT_SINGLELINE 0x20u
#define DT_CALCRECT 0x400u
#define DT_NOPREFIX 0x800u

// WinHelp commands.
#define HELP_CONTEXT 0x1u
#define HELP_QUIT 0x2u
#define HELP_FINDER 0xBu

// Predefined icons (LoadIcon with a null module).
#define IDI_APPLICATION MAKEINTRESOURCE(32512)
#define IDI_HAND MAKEINTRESOURCE(32513)
#define IDI_QUESTION MAKEINTRESOURCE(32514)
#define IDI_EXCLAMATION MAKEINTRESOURCE(32515)
#define IDI_ASTERISK MAKEINTRESOURCE(32516)
#define IDI_INFORMATION IDI_ASTERISK

// Header of every WM_NOTIFY notification.
struct NMHDR {
  HWND hwndFrom;
  UINT_PTR idFrom;
  UINT code;
};
// List view click and double click.
struct NMITEMACTIVATE {
  NMHDR hdr;
  int iItem;
  int iSubItem;
};
// What F1 was pressed on.
struct HELPINFO {
  UINT cbSize;
  int iContextType;
  int iCtrlId;
  HWND hItemHandle;
};

// Message box owned by hWnd (may be null); caption null means "Error", as in Win32.
OMRAPLATFORM_API int MessageBox(HWND hWnd, LPCTSTR text, LPCTSTR caption, UINT type);
// Opens a help file: HELP_CONTEXT shows the topic with context number data. Returns TRUE when the
// call was handed on.
OMRAPLATFORM_API BOOL WinHelp(HWND hWnd, LPCTSTR help_file, UINT command, ULONG_PTR data);
// The shell's operation on a file or address ("open" and null are the same). Returns a value above 32
// on success, as in Win32.
OMRAPLATFORM_API HINSTANCE ShellExecute(HWND hWnd, LPCTSTR operation, LPCTSTR file, LPCTSTR parameters,
                                        LPCTSTR directory, int show_command);
// Copies string id of a module into buffer (at most max - 1 characters and a zero); the length, 0 when
// the string does not exist.
OMRAPLATFORM_API int LoadString(HINSTANCE module, UINT id, LPTSTR buffer, int max);
// The module of the executable when name is null.
OMRAPLATFORM_API HMODULE GetModuleHandle(LPCTSTR name);
// Bitmap resources of a module, found by number (MAKEINTRESOURCE) or by name (without regard to case).
OMRAPLATFORM_API HRSRC FindResource(HMODULE module, LPCTSTR name, LPCTSTR type);
OMRAPLATFORM_API HGLOBAL LoadResource(HMODULE module, HRSRC resource);
OMRAPLATFORM_API LPVOID LockResource(HGLOBAL data);
OMRAPLATFORM_API DWORD SizeofResource(HMODULE module, HRSRC resource);
// A predefined icon (module null) such as IDI_INFORMATION; null for anything else.
OMRAPLATFORM_API HICON LoadIcon(HINSTANCE module, LPCTSTR name);
