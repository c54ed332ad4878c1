#include <cstdlib>
#include <ctime>

#include "dialog/KorvelDlg.h"
#include "dialog/ListingText.h"
#include "dialog/TextFormat.h"
#include "platform/AtomicFileWriter.h"
#include "platform/Launcher.h"

namespace korvel {

namespace {

constexpr const char* kListingName = "BUFFER.TXT";
constexpr const char* kDefaultViewer = "xdg-open";
constexpr const char* kCantWrite = "Can't write the file";

// KORVEL_VIEWER names the program (not a command line) that shows the listing.
std::string ViewerProgram() {
    const char* viewer = std::getenv("KORVEL_VIEWER");
    return viewer != nullptr && *viewer != '\0' ? viewer : kDefaultViewer;
}

std::string ListingPath(const std::string& directory) {
    const bool endsInSlash = !directory.empty() && directory.back() == '/';
    return directory + (endsInSlash ? "" : "/") + kListingName;
}

}  // namespace

void CKorvelDlg::OnClickBufferbutton() {
    WriteBufferListing(true);
}

// The listing goes to its full path, never the current directory, and replaces BUFFER.TXT only
// once it is complete. A link planted at BUFFER.TXT is refused, not followed, and the links on
// the way to its directory are followed only where the kernel would (FileDirectory.h).
std::string CKorvelDlg::WriteBufferListing(bool startViewer) {
    std::string path = ListingPath(tempdir);
    AtomicFileWriter out;
    std::string reason;
    if (!out.Open(path, reason)) {
        MessageBox(reason.empty() ? kCantWrite : kCantWrite + ("\n" + reason), "Error", MB_OK);
        path.clear();
    } else {
        m_Action = "Dumping...";
        UpdateData();
        const std::time_t now = std::time(nullptr);
        std::tm local{};
        localtime_r(&now, &local);
        const std::string listing =
            BufferListingText(filename, kDevices[device].name, eebuf.data(), eebufsize, local);
        if (!out.Write(listing.data(), listing.size()) || !out.Commit()) {
            MessageBox(kCantWrite, "Error", MB_OK);
            path.clear();
        } else if (startViewer) {
            m_Action = "Launching app...";
            UpdateData();
            StartDetached(ViewerProgram(), path);
        }
    }
    m_Action = kReadyText;
    UpdateData();
    return path;
}

}  // namespace korvel
