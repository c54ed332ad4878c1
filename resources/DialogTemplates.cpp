#include "resources/DialogTemplates.h"

#include "programmer/ProgramInfo.h"
#include "resources/ControlIds.h"

namespace korvel {

namespace {

using K = ControlKind;

constexpr ControlTemplate kMainControls[] = {
    {IDC_OPENBUTTON, K::CommandButton, "Open", "open", 8, 13, 35, 37, kTabStop},
    {IDC_SAVEBUTTON, K::CommandButton, "Save", "save", 49, 13, 36, 37, kTabStop},
    {IDC_READBUTTON, K::CommandButton, "Read", "read", 101, 13, 35, 37, kTabStop},
    {IDC_WRITEBUTTON, K::CommandButton, "Write", "write", 143, 13, 36, 37, kTabStop},
    {IDC_BLANKBUTTON, K::CommandButton, "Blank", "blank", 101, 54, 35, 37, kTabStop},
    {IDC_ERASEBUTTON, K::CommandButton, "Erase", "erase", 143, 54, 36, 37, kTabStop},
    {IDC_VERIFYBUTTON, K::CommandButton, "Verify", "verify", 101, 96, 35, 37, kTabStop},
    {IDC_BUFFERBUTTON, K::CommandButton, "Buffer", "buffer", 143, 96, 36, 37, kTabStop},
    {IDC_DEVICECOMBO, K::DropDownList, "", nullptr, 7, 95, 78, 12, kTabStop},
    {0, K::GroupBox, "File", nullptr, 2, 2, 89, 76, 0},
    {IDC_STATUS, K::Text, "Status", nullptr, 2, 143, 183, 9, kSunken},
    {0, K::GroupBox, "Action", nullptr, 96, 2, 89, 138, 0},
    {0, K::GroupBox, "Device && Port", nullptr, 2, 83, 89, 56, 0},
    {IDC_FILELINE, K::Text, "File:", nullptr, 8, 54, 77, 8, kWordWrap},
    {IDC_SIZELINE, K::Text, "Size:", nullptr, 8, 65, 77, 8, kWordWrap},
    {IDC_HWSTAT, K::Text, "Hardware not found !", nullptr, 12, 126, 68, 8, kWordWrap},
    {IDC_PORTCOMBO, K::DropDownList, "", nullptr, 7, 110, 78, 12, kTabStop},
};

constexpr ControlTemplate kAboutControls[] = {
    {0, K::Picture, "", "logo", 23, 21, 87, 30, kSunken},
    {0, K::Text, kProgramTitle, nullptr, 25, 7, 83, 8, kCentered},
    {0, K::Text, kAuthorLine, nullptr, 7, 58, 119, 8, kCentered},
    {IDOK_BUTTON, K::PushButton, "OK", nullptr, 41, 81, 50, 14, kTabStop | kDefaultButton},
    {0, K::Text, kWebAddress, nullptr, 7, 66, 119, 8, kCentered},
};

}  // namespace

const DialogTemplate kMainDialogTemplate = {
    kProgramTitle, 187, 154, true, kMainControls, sizeof kMainControls / sizeof kMainControls[0]};

const DialogTemplate kAboutDialogTemplate = {"About Korvel...",
                                             133,
                                             103,
                                             false,
                                             kAboutControls,
                                             sizeof kAboutControls / sizeof kAboutControls[0]};

}  // namespace korvel
