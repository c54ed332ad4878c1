#include <algorithm>

#include "dialog/KorvelDlg.h"
#include "dialog/TextFormat.h"
#include "image/ImageFormat.h"
#include "platform/AtomicFileWriter.h"
#include "platform/FileDirectory.h"
#include "platform/InputFile.h"

namespace korvel {

namespace {

constexpr const char* kOpenFilter = "Binary files (*.bin)|*.bin|All files (*.*)|*.*";
constexpr const char* kSaveFilter = "Binary files (*.bin)|*.bin";
constexpr const char* kReadFailed = "Can't read the whole file.\nRead error !";
constexpr const char* kInputSilent = "Can't read the whole file.\nNo data for %d seconds !";
constexpr const char* kCantWrite = "Can't write to file.\nFile is read only ?";
constexpr const char* kSaveFailed = "Can't save the file.\nDisk full or write error !";
constexpr const char* kNotAnImage = "Not an image file !\n";
// A text image of the largest chip takes some 100 KB; anything much larger is no image.
constexpr std::size_t kMostTextFileBytes = 1 << 20;
// The image formats know the largest chip by its size alone: whatever they give must fit.
static_assert(kLargestImage <= kImageBufferSize, "an image file could outgrow the buffer");

// Only A to Z change, whatever the locale.
std::string LowerCase(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return text;
}

// The box of a file that cannot be written: the reason follows on a line of its own, but for a
// file that is simply read only, as the box already says.
std::string CantWriteText(const std::string& reason) {
    return reason.empty() ? kCantWrite : kCantWrite + ("\n" + reason);
}

// How many bytes the file held: a raw file is read one byte beyond the largest chip, so that a
// larger file shows, and its image keeps no more than the chip.
std::size_t HeldBytes(ImageFormat format, std::size_t fileBytes,
                      const std::vector<std::uint8_t>& image) {
    return format == ImageFormat::Raw ? fileBytes : image.size();
}

}  // namespace

// The file is opened and saved under the name as chosen: the lower-cased one is only shown, for
// on a case-sensitive file system it may name another file, or none.
void CKorvelDlg::OnClickOpenbutton() {
    OpenImage();
}

void CKorvelDlg::OnClickSavebutton() {
    SaveImage();
}

FileOutcome CKorvelDlg::OpenImage(ImageFormat format) {
    m_FileDialog.SetFilter(kOpenFilter);
    const std::string fileNameBefore = filename;
    const std::string fileLineBefore = m_File;
    InputFile file;
    for (bool opened = false; !opened;) {
        m_FileDialog.ShowOpenDialog();
        const std::string name = m_FileDialog.GetFileName();
        if (name.empty()) {
            return FileOutcome::Cancelled;
        }
        filename = LowerCase(name);
        opened = file.Open(name);
    }
    m_File = FileLineText(filename);
    UpdateData();

    // A raw image is the file's first bytes; a text image is read whole, then decoded.
    const bool raw = format == ImageFormat::Raw;
    std::vector<std::uint8_t> bytes(raw ? kImageBufferSize : kMostTextFileBytes + 1);
    std::size_t count = 0;
    const InputEnd end = file.Read(bytes.data(), bytes.size(), count);
    const bool whole = end == InputEnd::Complete;
    bytes.resize(count);
    std::vector<std::uint8_t> image;
    std::string error = "larger than any image";
    const bool decoded = count <= kMostTextFileBytes && DecodeImage(format, bytes, image, error);
    // After a read error what arrived still counts, as far as it makes an image.
    if (!decoded && whole) {
        // Nothing was loaded: the lines still name the image the buffer holds.
        filename = fileNameBefore;
        m_File = fileLineBefore;
        UpdateData();
        MessageBox(kNotAnImage + error, "Error", MB_OK | MB_ICONSTOP);
        return FileOutcome::Failed;
    }
    if (decoded && !raw) {
        eebuf.fill(0xFF);  // the gaps between the records, as an erased chip holds them
    }
    std::copy(image.begin(), image.end(), eebuf.begin());
    if (!whole) {
        MessageBox(
            end == InputEnd::Silent ? FormatText(kInputSilent, kInputPatienceSeconds) : kReadFailed,
            "Error", MB_OK | MB_ICONSTOP);
    } else if (HeldBytes(format, count, image) > static_cast<std::size_t>(eebufsize)) {
        MessageBox(FormatText("File size is > EEPROM size !\nOnly the first %d bytes will be used.",
                              eebufsize),
                   "Warning", MB_OK | MB_ICONEXCLAMATION);
    }
    m_Filesize = SizeText(static_cast<std::int32_t>(image.size()));
    UpdateData();
    return whole ? FileOutcome::Done : FileOutcome::Failed;
}

FileOutcome CKorvelDlg::SaveImage(ImageFormat format) {
    m_FileDialog.SetFilter(kSaveFilter);
    std::string name;
    do {
        m_FileDialog.ShowSaveDialog();
        name = m_FileDialog.GetFileName();
        if (name.empty()) {
            return FileOutcome::Cancelled;
        }
        filename = LowerCase(name);
        if (ExistsForReading(name) &&
            MessageBox("File exist. Overwrite ?", "Warning", MB_YESNO | MB_ICONSTOP) == IDNO) {
            filename.clear();
        }
    } while (filename.empty());

    // Saving through a symbolic link replaces the file it points to and keeps the link, where the
    // link may be followed at all.
    AtomicFileWriter out;
    std::string destination;
    std::string reason;
    if (!FollowFileLinks(name, destination, reason) || !out.Open(destination, reason)) {
        MessageBox(CantWriteText(reason), "Error", MB_OK | MB_ICONSTOP);
        return FileOutcome::Failed;
    }
    // The lines change only once the image is safely on disk; until then the old file stays.
    const std::vector<std::uint8_t> bytes =
        EncodeImage(format, eebuf.data(), static_cast<std::size_t>(eebufsize));
    if (!out.Write(bytes.data(), bytes.size()) || !out.Commit()) {
        MessageBox(kSaveFailed, "Error", MB_OK | MB_ICONSTOP);
        return FileOutcome::Failed;
    }
    m_File = FileLineText(filename);
    UpdateData();
    m_Filesize = SizeText(eebufsize);
    UpdateData();
    return FileOutcome::Done;
}

bool CKorvelDlg::MaySaveImage(const std::string& name) {
    std::string destination;
    std::string reason;
    if (FollowFileLinks(name, destination, reason) && MayReplaceFile(destination, reason)) {
        return true;
    }
    MessageBox(CantWriteText(reason), "Error", MB_OK | MB_ICONSTOP);
    return false;
}

}  // namespace korvel
