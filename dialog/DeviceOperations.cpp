#include <optional>

#include "dialog/KorvelDlg.h"
#include "dialog/TextFormat.h"

namespace korvel {

// Where a byte of an operation comes from.
enum class Source { None, Image, Blank };

struct DeviceOperation {
    char command;
    Source data;      // the byte a write command carries
    Source expected;  // what the reply must be; None: the reply is stored into the image
    const char* progress;
    const char* errorText;  // may name the failing address with %x
    const char* errorTitle;
    const char* successText;  // nullptr: the operation ends without a box
    const char* successTitle;
    bool untiesImage;  // the image no longer matches a file: file name back to "[buffer]"
};

namespace {

// clang-format off
constexpr DeviceOperation kRead{'R', Source::None, Source::None, "Reading... %d%% done",
    nullptr, nullptr, nullptr, nullptr, true};
constexpr DeviceOperation kVerify{'R', Source::None, Source::Image, "Verifying... %d%% done",
    "Verify failed !\nFirst error at addr %xh", "Verify", "Verify ok", "Verify", false};
constexpr DeviceOperation kBlank{'R', Source::None, Source::Blank, "Checking... %d%% done",
    "Device isn't blank !\nFirst error at addr %xh", "Blank check", "Device is blank",
    "Blank check", false};
constexpr DeviceOperation kErase{'W', Source::Blank, Source::Blank, "Erasing... %d%% done",
    "Erase error !", "Erase", nullptr, nullptr, true};
constexpr DeviceOperation kWrite{'W', Source::Image, Source::Image, "Writing... %d%% done",
    "Write error !", "Write", nullptr, nullptr, true};
// clang-format on

}  // namespace

void CKorvelDlg::OnClickReadbutton() {
    ReadChip();
}
void CKorvelDlg::OnClickVerifybutton() {
    VerifyChip();
}
void CKorvelDlg::OnClickBlankbutton() {
    BlankCheckChip();
}
void CKorvelDlg::OnClickErasebutton() {
    EraseChip();
}
void CKorvelDlg::OnClickWritebutton() {
    WriteChip();
}

bool CKorvelDlg::ReadChip() {
    return RunDeviceOperation(kRead);
}
bool CKorvelDlg::VerifyChip() {
    return RunDeviceOperation(kVerify);
}
bool CKorvelDlg::BlankCheckChip() {
    return RunDeviceOperation(kBlank);
}
bool CKorvelDlg::EraseChip() {
    return RunDeviceOperation(kErase);
}
bool CKorvelDlg::WriteChip() {
    return RunDeviceOperation(kWrite);
}

bool CKorvelDlg::RunDeviceOperation(const DeviceOperation& operation) {
    const auto byteFrom = [this](Source source, std::int32_t address) -> std::uint8_t {
        return source == Source::Image ? eebuf[static_cast<std::size_t>(address)] : 0xFF;
    };
    // A reply that came too late for an earlier exchange, or surplus bytes of a version answer,
    // would otherwise be taken for the reply to address 0.
    hComm.DiscardInput();
    const bool twoAddressBytes = TakesTwoAddressBytes(device);
    board->SendModeCommand(kDevices[device].addressMode);
    board->SendSelectCommand(0);
    int block = 0;
    bool failed = false;
    for (std::int32_t address = 0; address < eebufsize && !failed; ++address) {
        if (!twoAddressBytes && address / 256 != block) {
            block = address / 256;
            board->SendSelectCommand(block);
        }
        std::optional<std::uint8_t> data;
        if (operation.data != Source::None) {
            data = byteFrom(operation.data, address);
        }
        board->SendAddressedCommand(operation.command, address, twoAddressBytes, data);
        if (!board->WaitReply()) {
            MessageBox("Transmission error !", "Error", MB_OK);
            failed = true;
            break;
        }
        const auto answer = static_cast<std::uint8_t>(reply);
        if (operation.expected == Source::None) {
            eebuf[static_cast<std::size_t>(address)] = answer;
        } else if (answer != byteFrom(operation.expected, address)) {
            MessageBox(FormatText(operation.errorText, static_cast<unsigned>(address)),
                       operation.errorTitle, MB_OK);
            failed = true;
            break;
        }
        m_Action = FormatText(operation.progress, (address + 1) * 100 / eebufsize);
        UpdateData();
    }
    if (operation.untiesImage) {
        filename = kNoFileName;
        m_File = FileLineText(kNoFileName);
    } else if (!failed) {
        MessageBox(operation.successText, operation.successTitle, MB_OK);
    }
    m_Action = kReadyText;
    UpdateData();
    return !failed;
}

}  // namespace korvel
