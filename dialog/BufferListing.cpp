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

// The listing is written all the same: the box says where, for another program to show it.
Message ViewerFailedMessage(const std::string& viewer, const std::string& problem,
                            const std::string& listing) {
    return {
        "Error",
        "Can't start the viewer !\n" + viewer + ": " + problem + "\nThe listing is in " + listing,
        MessageIcon::Stop};
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
        const std::string viewer = ViewerProgram();
        std::string problem;
        if (!StartDetached(viewer, listing.path, problem)) {
            MessageBox(ViewerFailedMessage(viewer, problem, listing.path));
        }
    }
    m_Action = kReadyText;
    UpdateData();
}

}  // namespace korvel
