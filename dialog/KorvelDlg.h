#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "boards/ProgrammerBoard.h"
#include "controls/CComboBox.h"
#include "controls/CCommandButton.h"
#include "controls/CCommonDialog1.h"
#include "dialog/DeviceCatalog.h"
#include "dialog/DialogHost.h"
#include "image/ImageFormat.h"
#include "platform/PortMap.h"

namespace korvel {

struct DeviceOperation;

// How Open or Save ended: the file went through, the user cancelled, or it failed (the box
// that said so has been shown).
enum class FileOutcome { Done, Cancelled, Failed };

// The main dialog: owner of all of the program's state and of every operation on it. It knows
// nothing of the window toolkit; texts and message boxes go to its host.
class CKorvelDlg {
  public:
    // `program` names the program in what goes to standard error.
    explicit CKorvelDlg(DialogHost& host, std::string program = "korvel");

    // Initialisation, once, before the dialog takes any event: the lists, the image and the
    // default selections, then hardware detection on the port to start on (COM2, unless it
    // stands for nothing and another port stands for a device).
    bool OnInitDialog();
    // The part of the initialisation before detection, for front ends that choose the port.
    void InitialiseState();
    // The window is going away: the port is released.
    void OnDestroy();

    // Routing of the window's events to the handlers below: a Click of a command button, and
    // a selection change made by the user in a list. Any other control is ignored.
    void OnClick(int control);
    void OnSelchange(int control);

    // Device list selection: takes the chosen type's index and size.
    void OnSelchangeDeviceCombo();
    // Hardware detection on the port chosen in the port list.
    void OnSelchangeCombo1();

    // Device operations, as the buttons run them.
    void OnClickReadbutton();
    void OnClickVerifybutton();
    void OnClickBlankbutton();
    void OnClickErasebutton();
    void OnClickWritebutton();
    // The same operations with their outcome: true when no error stopped them and a check
    // found what it looked for. The window has only its boxes to show for it; a script needs it.
    bool ReadChip();
    bool VerifyChip();
    bool BlankCheckChip();
    bool EraseChip();
    bool WriteChip();

    // Image files and the buffer listing.
    void OnClickOpenbutton();
    void OnClickSavebutton();
    void OnClickBufferbutton();
    // Open and Save with their outcome, for an image file in any of the formats; the buttons
    // take raw images only.
    FileOutcome OpenImage(ImageFormat format = ImageFormat::Raw);
    FileOutcome SaveImage(ImageFormat format = ImageFormat::Raw);
    // Whether Save could write an image under `name`, asked before any work whose result it is
    // to keep; false after the box that says why not. Writes nothing.
    bool MaySaveImage(const std::string& name);
    // Writes the listing BUFFER.TXT and, when asked, starts the viewer on it; returns the
    // listing's path, or an empty text when it could not be written.
    std::string WriteBufferListing(bool startViewer);

    // Serial link to the programmer board: the board's own, by the names the dialog knows.
    bool OpenCommPort(char PortNumber);
    void CloseCommPort();
    void SendByte(char dato) { board->SendByte(dato); }
    int ReceiveByte() { return board->ReceiveByte(); }

    // Pushes the four status texts to the window.
    void UpdateData();
    int MessageBox(const std::string& text, const std::string& title, unsigned style);

    // The image: byte a holds device address a; one byte more than the largest device.
    std::array<std::uint8_t, kImageBufferSize> eebuf{};
    std::int32_t eebufsize = 0;  // bytes of the selected device
    std::int8_t device = 0;      // catalogue index of the selected device
    // "[buffer]" or the lower-cased path of the last opened or saved image; never cut short.
    std::string filename;
    // Where the buffer listing goes: TEMP, else TMPDIR, else /tmp, as found at initialisation.
    std::string tempdir;

    // The device that each entry of the port list stands for.
    PortNames portNames;
    // The programmer board on the chosen port; its line and the byte last received from it.
    const std::unique_ptr<ProgrammerBoard> board;
    SerialPort& hComm;
    char& reply;

    CComboBox m_DeviceCombo{false};
    CComboBox m_PortCombo{true};

    std::string m_Action;    // action line
    std::string m_File;      // file line
    std::string m_Filesize;  // size line
    std::string m_HwStat;    // hardware line

    // The buttons whose use depends on the board; Open, Save and Buffer are always usable.
    CCommandButton m_ReadButton;
    CCommandButton m_WriteButton;
    CCommandButton m_VerifyButton;
    CCommandButton m_BlankButton;
    CCommandButton m_EraseButton;
    CCommonDialog1 m_FileDialog;

  private:
    bool RunDeviceOperation(const DeviceOperation& operation);

    DialogHost& host_;
    std::string program_;
    std::string portProblem_;  // why the chosen port could not be opened
};

}  // namespace korvel
