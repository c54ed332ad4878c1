#pragma once

#include <map>
#include <string>
#include <vector>

namespace korvel {

// COM1 to COM4, the entries of the port list; COM2 unless something else is known.
constexpr int kPortCount = 4;
constexpr int kDefaultPortNumber = 2;

// Why a port number stands for its device.
enum class PortOrigin {
    Named,        // named for this run, on the command line
    Environment,  // KORVEL_COMn
    Found,        // a serial port of this machine
    None,         // nothing: the port cannot be opened
};

struct PortAssignment {
    std::string device;  // empty for none
    PortOrigin origin = PortOrigin::None;
    std::string detail;  // what the device is, or the variable that named it
};
// Which device stands for each port number. A name given for this run wins, then KORVEL_COMn,
// then the serial ports of the machine whose /sys and /dev lie below `root` ("/" for this one),
// in this order: first the built-in UARTs that are really there (a ttyS whose
// /sys/class/tty/ttySn/type is not 0), by number; then the USB adapters (ttyUSB, ttyACM) in the
// order of their stable /dev/serial/by-id names, those without one last, by name. An entry left
// over stands for nothing. Nothing is cached: an adapter plugged in later is found by the next
// detection.
class PortNames {
  public:
    explicit PortNames(std::string root = "/") : root_(std::move(root)) {}

    void Name(int portNumber, const std::string& device) { named_[portNumber] = device; }
    // How the user knows COMn: by the path named for it for this run, else as "COMn".
    std::string Label(int portNumber) const;
    // All four, COM1 first.
    std::vector<PortAssignment> Assignments() const;
    // The device for COMn; empty for none, and for numbers outside 1 to 4.
    std::string Device(int portNumber) const;
    // The port to start on: COM2 when it stands for a device, or when none does; otherwise the
    // first that does (a single USB adapter is COM1).
    int StartPortNumber() const;

  private:
    // Sets `port` to the device named for COMn for this run, else by KORVEL_COMn; false when
    // neither names one.
    bool Given(int portNumber, PortAssignment& port) const;

    std::string root_;
    std::map<int, std::string> named_;
};

// The device's kernel name (ttyUSB0 for /dev/ttyUSB0, or for a link to it), for /sys.
std::string KernelName(const std::string& device);

}  // namespace korvel
