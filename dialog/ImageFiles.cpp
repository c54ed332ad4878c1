#include <cstdio>
#include <cstdlib>

#include "dialog/KorvelDlg.h"
#include "dialog/TextFormat.h"
#include "platform/AtomicFileWriter.h"

namespace {

constexpr const char* kOpenFilter = "Binary files (*.bin)|*.bin|All files (*.*)|*.*";
constexpr const char* kSaveFilter = "Binary files (*.bin)|*.bin";
constexpr const char* kReadFailed = "Can't read the whole file.\nRead error !";
constexpr const char* kSaveFailed = "Can't save the file.\nDisk full or write error !";

// Only A to Z change, whatever the locale.
std::string LowerCase(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return text;
}

// Saving through a symbolic link replaces the file it points to and keeps the link.
std::string SaveDestination(const std::string& chosen) {
    char* resolved = realpath(chosen.c_str(), nullptr);
    if (resolved == nullptr) {
        return chosen;  // a new file
    }
    std::string destination = resolved;
    std::free(resolved);
    return destination;
}

}  // namespace

// The file is opened and saved under the name as chosen: the lower-cased one is only shown, for
// on a case-sensitive file system it may name another file, or none.
void CKorvelDlg::OnClickOpenbutton() {
    m_FileDialog.SetFilter(kOpenFilter);
    std::FILE* file = nullptr;
    while (file == nullptr) {
        m_FileDialog.ShowOpenDialog();
        const std::string name = m_FileDialog.GetFileName();
        if (name.empty()) {
            return;
        }
        filename = LowerCase(name);
        file = std::fopen(name.c_str(), "rb");
    }
    m_File = "File: " + filename;
    UpdateData();

    const int count = static_cast<int>(std::fread(eebuf.data(), 1, kLargestDeviceSize, file));
    if (std::ferror(file) != 0) {
        MessageBox(kReadFailed, "Error", MB_OK | MB_ICONSTOP);
    } else if (count > eebufsize) {
        MessageBox(FormatText("File size is > EEPROM size !\nOnly the first %d bytes will be used.",
                              eebufsize),
                   "Warning", MB_OK | MB_ICONEXCLAMATION);
    }
    m_Filesize = FormatText("Size: %d bytes", count);
    UpdateData();
    std::fclose(file);
}

void CKorvelDlg::OnClickSavebutton() {
    m_FileDialog.SetFilter(kSaveFilter);
    std::string name;
    do {
        m_FileDialog.ShowSaveDialog();
        name = m_FileDialog.GetFileName();
        if (name.empty()) {
            return;
        }
        filename = LowerCase(name);
        if (std::FILE* probe = std::fopen(name.c_str(), "r")) {
            if (MessageBox("File exist. Overwrite ?", "Warning", MB_YESNO | MB_ICONSTOP) == IDNO) {
                filename.clear();
            }
            std::fclose(probe);
        }
    } while (filename.empty());

    korvel::AtomicFileWriter out;
    if (!out.Open(SaveDestination(name))) {
        MessageBox("Can't write to file.\nFile is read only ?", "Error", MB_OK | MB_ICONSTOP);
        return;
    }
    // The lines change only once the image is safely on disk; until then the old file stays.
    if (!out.Write(eebuf.data(), static_cast<std::size_t>(eebufsize)) || !out.Commit()) {
        MessageBox(kSaveFailed, "Error", MB_OK | MB_ICONSTOP);
        return;
    }
    m_File = "File: " + filename;
    UpdateData();
    m_Filesize = FormatText("Size: %d bytes", eebufsize);
    UpdateData();
}
