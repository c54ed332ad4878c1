#include "dialog/KorvelDlg.h"
#include "image/AsciiCase.h"
#include "platform/InputFile.h"

namespace korvel {

namespace {

// The formats that korvel-cli reads and writes, by the extensions that choose them
// (ImageFormatOfPath); raw binary first, the default.
const std::vector<FileFilter> kImageFilters = {
    {"Binary files (*.bin)", {"*.bin"}},
    {"Intel HEX (*.hex *.ihex *.eep)", {"*.hex", "*.ihex", "*.eep"}},
    {"S-records (*.srec *.s19 *.mot)", {"*.srec", "*.s19", "*.mot"}},
    {"All files (*.*)", {"*"}},
};

}  // namespace

// The image's name is the chosen path in lower case, from the moment it is chosen: a file that
// cannot be opened leaves its name behind, while the file line still shows the one before. The
// file itself is opened under the name as chosen, in the format its extension names: a file
// named .hex that holds no Intel HEX is refused, not loaded as raw bytes.
void CKorvelDlg::OnClickOpenbutton() {
    const std::string nameBefore = programmer_.ImageName();
    for (;;) {
        const std::string name = host_.ChooseFileToOpen(kImageFilters);
        if (name.empty()) {
            return;
        }
        programmer_.NameImage(LowerCaseAscii(name));
        const LoadOutcome outcome = programmer_.LoadImage(name, ImageFormatOfPath(name));
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
// The file is written in the format its extension names, which the file dialog gives a name typed
// without one from the file type chosen.
void CKorvelDlg::OnClickSavebutton() {
    std::string name;
    do {
        name = host_.ChooseFileToSave(kImageFilters);
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
            SaveMessage(programmer_.SaveImage(name, ImageFormatOfPath(name)))) {
        MessageBox(*message);
        return;
    }
    m_File = FileLineText(programmer_.ImageName());
    UpdateData();
    m_Filesize = SizeText(programmer_.Chip().size);
    UpdateData();
}

}  // namespace korvel
