#include "dialog/KorvelDlg.h"

namespace {

// Receive attempts of one reply wait, at most 200 ms each.
constexpr int kReplyAttempts = 10;

}  // namespace

void CKorvelDlg::SendModeCommand() {
    SendByte('T');
    SendByte(static_cast<char>(kDevices[device].addressMode));
}

void CKorvelDlg::SendSelectCommand(int block) {
    SendByte('C');
    SendByte(static_cast<char>(SelectByte(block)));
}

void CKorvelDlg::SendAddressedCommand(char command, std::int32_t address) {
    SendByte(command);
    SendByte(static_cast<char>(address & 0xFF));
    if (TakesTwoAddressBytes(device)) {
        SendByte(static_cast<char>(address / 256));
    }
}

bool CKorvelDlg::WaitReply() {
    for (int attempt = 0; attempt < kReplyAttempts; ++attempt) {
        if (ReceiveByte() == 1) {
            return true;
        }
    }
    return false;
}
