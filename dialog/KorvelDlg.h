#pragma once

#include <functional>
#include <string>
#include <vector>

#include "dialog/DialogHost.h"
#include "programmer/ChipOperation.h"
#include "programmer/Messages.h"
#include "programmer/Programmer.h"

namespace korvel {

// The main window's presenter: it turns the user's clicks and choices into the programmer's work
// and its outcomes into what the window shows, the four status texts, the message boxes and
// the five device buttons, through its host. It knows nothing of the window toolkit.
class CKorvelDlg {
  public:
    explicit CKorvelDlg(DialogHost& host);

    // Before the window first shows: the texts, the default chip, and detection on the port to
    // start on (COM2, unless it stands for nothing and another port stands for a device).
    void OnInitDialog();
    // The window is asked to close (Esc, Enter in a list, the close box): true when it may. An
    // image holding bytes that no file holds (read from the chip or edited) asks first whether
    // to save them, discard them or stay.
    bool OnClose();
    // The window is going away: the port is released.
    void OnDestroy();
    // Esc or the close box while an operation runs: asks, without holding the operation up,
    // whether to stop it; a yes stops it after the byte or block under way.
    void OnStopRequest();

    // A choice in the device list (a catalogue row) and in the port list (0 for COM1; -1 for
    // none): the chip type and its size, and hardware detection on the chosen port.
    void OnSelchangeDeviceCombo(int row);
    void OnSelchangeCombo1(int index);

    // The buttons.
    void OnClickReadbutton();
    void OnClickVerifybutton();
    void OnClickBlankbutton();
    void OnClickErasebutton();
    void OnClickWritebutton();
    void OnClickOpenbutton();
    void OnClickSavebutton();
    void OnClickBufferbutton();
    // The image view's command: reads the chip and finds every byte that differs from the image,
    // which stays as it is.
    void OnCompareWithChip();
    // The image view changed the image: it now stands for no file.
    void OnImageEdited();

    // The entries of the two lists, and which is chosen.
    static std::vector<std::string> DeviceNames();
    static std::vector<std::string> PortNames();
    int SelectedDevice() const { return programmer_.ChipRow(); }
    int SelectedPort() const { return port_; }

    StatusTexts Texts() const { return {m_Action, m_File, m_Filesize, m_HwStat, portProblem_}; }
    bool DeviceButtonsEnabled() const { return programmer_.BoardFound(); }
    Programmer& Core() { return programmer_; }
    const Programmer& Core() const { return programmer_; }

  private:
    void RunChipOperation(ChipOperation operation);
    // Runs work that the user may stop, and withdraws the question whether to stop once the work
    // is over.
    void RunStoppable(const std::function<void()>& work);
    // Pushes the four status texts to the window.
    void UpdateData();
    int MessageBox(const Message& message, unsigned buttons = MB_OK);

    DialogHost& host_;
    Programmer programmer_;
    int port_ = -1;
    bool running_ = false;  // an operation that may be stopped is under way
    bool askingToStop_ = false;
    std::string m_Action;      // action line
    std::string m_File;        // file line
    std::string m_Filesize;    // size line
    std::string m_HwStat;      // hardware line
    std::string portProblem_;  // why the chosen port could not be opened
};

// The size line for an image of so many bytes, and the file line for an image's name.
std::string SizeText(std::int32_t bytes);
std::string FileLineText(const std::string& imageName);

}  // namespace korvel
