#include "dialog/KorvelDlg.h"
#include "image/AsciiCase.h"
#include "platform/InputFile.h"

namespace korvel {

namespace {

const std::vector<FileFilter> kOpenFilters = {{"Binary files (*.bin)", {"*.bin"}},
                                              {"All files (*.*)", {"*"}}};
const std::vector<FileFilter> kSaveFilters = {{"Binary files (*.bin)", {"*.bin"}}};

}  // namespace

// The image's name is the chosen path in lower case, from the moment it is chosen: a file that
// cannot be opened leaves its name behind, while the file line still shows the one before. The
// file itself is opened under the name as chosen.
void CKorvelDlg::OnClickOpenbutton() {
    const std::string nameBefore = programmer_.ImageName();
    for (;;) {
        const std::string name = host_.ChooseFileToOpen(kOpenFilters);
        if (name.empty()) {
            return;
        }
        programmer_.NameImage(LowerCaseAscii(name));
        const LoadOutcome outcome = programmer_.LoadImage(name, ImageFormat::Raw);
        if (outcome.result == LoadResult::CantOpen) {
            continue;  // the dialog again, without a word
        }
        const std::optional<Message> message = LoadMessage(outcome, programmer_.Chip().size);
        if (outcome.result == LoadResult::NotAnImage) {
            programmer_.NameImage(nameBefore);  // nothing was loaded
            MessageBox(*message);
            return;
        }
        m_File = FileLineText(programmer_.ImageName());
        UpdateData();
        if (message) {
            MessageBox(*message);
        }
        m_Filesize = SizeText(static_cast<std::int32_t>(outcome.loaded));
        UpdateData();
        return;
    }
}

// A "no" to the overwrite question leaves the image without a name until another one is chosen.
void CKorvelDlg::OnClickSavebutton() {
    std::string name;
    do {
        name = host_.ChooseFileToSave(kSaveFilters);
        if (name.empty()) {
            return;
        }
        programmer_.NameImage(LowerCaseAscii(name));
        if (ExistsForReading(name) && MessageBox(OverwriteQuestion(), MB_YESNO) == IDNO) {
            programmer_.NameImage("");
        }
    } while (programmer_.ImageName().empty());

    // The lines change only once the image is safely on disk; until then the old file stays.
    if (const std::optional<Message> message =
            SaveMessage(programmer_.SaveImage(name, ImageFormat::Raw))) {
        MessageBox(*message);
        return;
    }
    m_File = FileLineText(programmer_.ImageName());
    UpdateData();
    m_Filesize = SizeText(programmer_.Chip().size);
    UpdateData();
}

}  // namespace korvel
