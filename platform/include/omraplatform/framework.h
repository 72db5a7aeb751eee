// The application framework in one include, as afxwin.h is for MFC code: strings and collections,
// windows, controls and message maps, dialogs and data exchange, module state and resources, GDI
// objects.
#pragma once

#include "omraplatform/collections.h"
#include "omraplatform/cstring.h"
#include "omraplatform/dialog.h"
#include "omraplatform/gdi.h"
#include "omraplatform/resources.h"
#include "omraplatform/winuser.h"
#include "omraplatform/wnd.h"
