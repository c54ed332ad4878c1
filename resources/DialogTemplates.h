#pragma once

#include <cstddef>

namespace korvel {

// The program's resources that are plain data: dialog templates in dialog units, resource
// identifiers and the one string resource. The window toolkit builds its windows from these.

// The About command, as the window's menu raises it, and below it the image view's.
constexpr unsigned IDM_ABOUTBOX = 0x0010;
constexpr const char* kAboutMenuText = "&About Korvel...";  // string 101
constexpr unsigned IDM_IMAGEVIEW = 0x0020;
constexpr const char* kImageMenuText = "&Image...";

constexpr int IDOK_BUTTON = 1;  // the About box's OK
// The About box's author line: who makes the program, with the listing banner's e-mail address.
constexpr const char* kAuthorLine = "Korvel team <korvel@example.org>";

enum class ControlKind {
    CommandButton,  // picture above caption; clicks go to the dialog's routing
    DropDownList,   // choose-only list
    GroupBox,
    Text,
    Picture,  // a bitmap at its own size
    PushButton,
};

enum ControlStyle : unsigned {
    kTabStop = 1u << 0,
    kCentered = 1u << 1,
    kWordWrap = 1u << 2,
    kSunken = 1u << 3,
    kDefaultButton = 1u << 4,
};

struct ControlTemplate {
    int id;  // 0 for controls nobody refers to
    ControlKind kind;
    const char* text;  // caption or template text; "&&" shows one ampersand where mnemonics apply
    const char* picture;      // picture resource name, or nullptr
    int x, y, width, height;  // dialog units
    unsigned style;
};

struct DialogTemplate {
    const char* caption;
    int width, height;  // dialog units
    bool minimizeBox;
    const ControlTemplate* controls;  // in template order, which is also the tab order
    std::size_t count;
};

extern const DialogTemplate kMainDialogTemplate;   // 102
extern const DialogTemplate kAboutDialogTemplate;  // 100

}  // namespace korvel
