#include <cstdlib>

#include "dialog/KorvelDlg.h"
#include "platform/Launcher.h"

namespace korvel {

namespace {

constexpr const char* kDefaultViewer = "xdg-open";

// KORVEL_VIEWER names the program (not a command line) that shows the listing.
std::string ViewerProgram() {
    const char* viewer = std::getenv("KORVEL_VIEWER");
    return viewer != nullptr && *viewer != '\0' ? viewer : kDefaultViewer;
}

}  // namespace

void CKorvelDlg::OnClickBufferbutton() {
    const ListingOutcome listing = programmer_.WriteListing([this] {
        m_Action = "Dumping...";
        UpdateData();
    });
    if (!listing.written) {
        MessageBox(ListingFailedMessage(listing.reason));
    } else {
        m_Action = "Launching app...";
        UpdateData();
        StartDetached(ViewerProgram(), listing.path);
    }
    m_Action = kReadyText;
    UpdateData();
}

}  // namespace korvel
