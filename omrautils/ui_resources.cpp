// OmraUtils' dialog templates, registered at load as an extension module: every caller finds them,
// whatever module is current.
#include "omraplatform/resources.h"
#include "ui_resources.h"

namespace {

const DialogControl kStatusBoxControls[] = {
    {IDC_STATUS_ICON, ControlKind::Icon, "", SS_ICON, 7, 7, 21, 20},
    {IDC_STATUS_MESSAGE, ControlKind::Static, "Status message...", SS_LEFT | SS_NOPREFIX, 36, 10, 144, 24},
};

// The support texts are the supplier's to fill in; these are neutral placeholders.
const DialogControl kSupportControls[] = {
    {IDC_STATIC, ControlKind::Static,
     "Help with this product is available from its supplier, or from the distributor who supplied it to you. "
     "Please have the product's version number at hand when you call.",
     SS_LEFT | SS_NOPREFIX, 7, 7, 276, 24},
    {IDC_STATIC, ControlKind::Static,
     "Worldwide support office\nSupport Centre (placeholder)\n1 Example Street\nExample City\n"
     "Telephone: (supplier's number)\nFax: (supplier's number)\nHours: Mon-Fri 9:00-17:00\n"
     "E-mail: support@example.com",
     SS_LEFT | SS_NOPREFIX, 7, 36, 134, 76},
    {IDC_STATIC, ControlKind::Static,
     "European support office\nSupport Centre Europe (placeholder)\n2 Example Road\nExample Town\n"
     "Telephone: (supplier's number)\nFax: (supplier's number)\nHours: Mon-Fri 9:00-17:00\n"
     "E-mail: europe@example.com",
     SS_LEFT | SS_NOPREFIX, 149, 36, 134, 76},
    {IDC_STATIC, ControlKind::Static,
     "The Customer Support department keeps the latest answers and updates on the support web page:",
     SS_LEFT | SS_NOPREFIX, 7, 118, 276, 18},
    {IDC_SUPPORT_HYPERLINK, ControlKind::PushButton, "https://support.example.com/", BS_PUSHBUTTON, 7, 138, 150,
     14},
    {IDOK, ControlKind::PushButton, "OK", BS_DEFPUSHBUTTON, 233, 159, 50, 14},
};

const DialogTemplate kDialogs[] = {
    {10000, nullptr, "How to Get Technical Support", 290, 180, DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU,
     kSupportControls, std::size(kSupportControls)},
    {10001, nullptr, "", 187, 44, DS_MODALFRAME | WS_POPUP | WS_CAPTION, kStatusBoxControls,
     std::size(kStatusBoxControls)},
};

const ModuleResources kResources{kDialogs, std::size(kDialogs), nullptr, 0, nullptr, 0};

AFX_MODULE_STATE g_module("OmraUtils", &kResources, true);

}  // namespace
