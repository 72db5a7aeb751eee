// Shared inside the framework: the live-dialog list, change reports to the presenter, and the routing
// of a control's notification to its handlers.
#pragma once

#include <string>

#include "omraplatform/presenter.h"
#include "omraplatform/window_model.h"
#include "omraplatform/wnd.h"

namespace omra::detail {

// Tells the presenter that a window of a live dialog changed (nothing before the view exists).
void changed(HWND window, Change what);
// Sends a control's command or notification: first to the control's own object (reflection), then to
// its dialog's message map. Returns whether a handler took it.
bool notify(HWND control, UINT code, NMHDR *nmhdr = nullptr);
// Sends a command as if the button id of dialog had been clicked.
bool command(HWND dialog, UINT id);

void register_dialog(HWND dialog);
void unregister_dialog(HWND dialog);
// The dialog that owns new message boxes and dialogs made without a parent: the innermost modal one,
// else null.
HWND active_dialog();

// The child of dialog with that id; null when none.
HWND find_child(HWND dialog, int id);
// Sets the focus inside a dialog (null: the dialog itself).
void set_focus(HWND dialog, HWND control);
// The radio buttons of the group control belongs to, in tab order.
std::vector<HWND> radio_group(HWND control);

// Text of an int, message strings shared by data exchange.
std::string window_description(HWND window);

}  // namespace omra::detail
