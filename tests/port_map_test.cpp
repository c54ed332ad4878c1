// Which device stands for COM1 to COM4, read from fake /sys and /dev trees; where passing files
// go; what the user is told about a slow USB adapter.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include "platform/LowLatency.h"
#include "platform/PortMap.h"
#include "platform/TemporaryDirectory.h"
#include "tools/launch/TempDir.h"

namespace korvel {

namespace {

namespace fs = std::filesystem;
using Texts = std::vector<std::string>;

// A machine's /sys/class/tty and /dev/serial/by-id, as far as port finding reads them.
struct FakeMachine {
    FakeMachine() {
        for (int n = 1; n <= 4; ++n) {
            unsetenv(("KORVEL_COM" + std::to_string(n)).c_str());
        }
    }
    void Uart(const std::string& name, int type) {
        fs::create_directories(Sys(name));
        std::ofstream(Sys(name) + "/type") << type << "\n";
    }
    void Adapter(const std::string& name, const std::string& byId = "") {
        fs::create_directories(Sys(name));
        if (!byId.empty()) {
            fs::create_directories(root.File("dev/serial/by-id"));
            fs::create_directory_symlink("../../" + name, root.File("dev/serial/by-id/" + byId));
        }
    }
    std::string Sys(const std::string& name) const { return root.File("sys/class/tty/" + name); }
    std::string Dev(const std::string& name) const { return root.File("dev/" + name); }
    std::string Found(const std::string& name) const { return Dev(name) + " found"; }
    // "device origin", COM1 first.
    Texts Ports() const {
        Texts ports;
        for (const PortAssignment& port : PortNames(root.path()).Assignments()) {
            const char* origins[] = {"named", "environment", "found", "none"};
            ports.push_back(port.device + " " + origins[static_cast<int>(port.origin)]);
        }
        return ports;
    }

    TempDir root;
};

TEST(PortMap, BuiltInPortsThatAreThereComeFirstThenAdaptersByTheirStableNames) {
    FakeMachine none;
    none.Uart("ttyS0", 0);  // probed, nothing there
    none.Adapter("tty0");
    EXPECT_EQ(none.Ports(), (Texts{" none", " none", " none", " none"}));

    FakeMachine laptop;
    laptop.Adapter("ttyUSB0", "usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0");
    EXPECT_EQ(laptop.Ports(), (Texts{laptop.Found("ttyUSB0"), " none", " none", " none"}));

    // A real UART first, then adapters by their by-id names, whatever the kernel numbered them,
    // then adapters without one, by name (not by number); a fifth port finds no place.
    FakeMachine desk;
    desk.Uart("ttyS1", 0);
    desk.Uart("ttyS3", 4);
    desk.Adapter("ttyUSB1");
    desk.Adapter("ttyACM4");
    desk.Adapter("ttyUSB0", "usb-Prolific_PL2303-if00-port0");
    desk.Adapter("ttyACM3", "usb-Arduino_Uno_8543-if00");
    EXPECT_EQ(desk.Ports(), (Texts{desk.Found("ttyS3"), desk.Found("ttyACM3"),
                                   desk.Found("ttyUSB0"), desk.Found("ttyACM4")}));
}

// By number, not by name: ttyS10 after ttyS3.
TEST(PortMap, FourRealUartsAreTtyS0ToTtyS3AndTheEnvironmentWinsForItsEntry) {
    FakeMachine pc;
    for (const char* uart : {"ttyS10", "ttyS3", "ttyS1", "ttyS0", "ttyS2"}) {
        pc.Uart(uart, 4);
    }
    EXPECT_EQ(pc.Ports(),
              (Texts{pc.Found("ttyS0"), pc.Found("ttyS1"), pc.Found("ttyS2"), pc.Found("ttyS3")}));

    setenv("KORVEL_COM2", "/dev/ttyUSB7", 1);
    setenv("KORVEL_COM4", "", 1);  // empty: as if unset
    PortNames names(pc.root.path());
    names.Name(3, "./com3");
    EXPECT_EQ(pc.Ports(), (Texts{pc.Found("ttyS0"), "/dev/ttyUSB7 environment", pc.Found("ttyS2"),
                                 pc.Found("ttyS3")}));
    EXPECT_EQ(names.Device(3), "./com3");
    EXPECT_EQ(names.Device(2), "/dev/ttyUSB7");
    EXPECT_EQ(names.Device(0), "");
    EXPECT_EQ(names.Device(5), "");
    unsetenv("KORVEL_COM2");
    unsetenv("KORVEL_COM4");
}

// The window starts on COM2, unless COM2 stands for nothing while another port stands for a
// device: a laptop's one adapter is COM1.
TEST(PortMap, StartsOnCom2OrElseOnTheFirstPortThatStandsForADevice) {
    FakeMachine laptop;
    EXPECT_EQ(PortNames(laptop.root.path()).StartPortNumber(), 2);  // nothing at all
    laptop.Adapter("ttyUSB0", "usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0");
    EXPECT_EQ(PortNames(laptop.root.path()).StartPortNumber(), 1);
    setenv("KORVEL_COM2", "/dev/ttyUSB7", 1);
    EXPECT_EQ(PortNames(laptop.root.path()).StartPortNumber(), 2);
    unsetenv("KORVEL_COM2");

    FakeMachine desk;
    desk.Uart("ttyS0", 4);
    desk.Adapter("ttyUSB0");
    EXPECT_EQ(PortNames(desk.root.path()).StartPortNumber(), 2);

    FakeMachine empty;
    setenv("KORVEL_COM3", "/dev/ttyACM0", 1);
    EXPECT_EQ(PortNames(empty.root.path()).StartPortNumber(), 3);
    unsetenv("KORVEL_COM3");
}

// A port named by its path for this run is called by it; the others by their number.
TEST(PortMap, PortsNamedForTheRunAreCalledByTheirPath) {
    PortNames names;
    names.Name(2, "/dev/ttyUSB0");
    EXPECT_EQ(names.Label(2), "/dev/ttyUSB0");
    EXPECT_EQ(names.Label(3), "COM3");
}

TEST(LatencyTimer, AdviceOnlyForAnAdapterThatStillWaitsLongerThanAMillisecond) {
    FakeMachine machine;
    for (const auto& [name, timer] : {std::pair{"ttyUSB0", "16"}, {"ttyUSB1", "1"}}) {
        fs::create_directories(machine.Sys(name) + "/device");
        std::ofstream(machine.Sys(name) + "/device/latency_timer") << timer << "\n";
    }
    const std::string root = machine.root.path();
    EXPECT_EQ(LatencyTimerAdvice(machine.Dev("ttyUSB0"), root),
              machine.Dev("ttyUSB0") +
                  " holds received bytes for 16 ms (its latency timer), which slows every "
                  "operation; this udev rule sets it to 1 ms: ACTION==\"add\", "
                  "SUBSYSTEM==\"usb-serial\", DRIVER==\"ftdi_sio\", ATTR{latency_timer}=\"1\"");
    EXPECT_EQ(LatencyTimerAdvice(machine.Dev("ttyUSB1"), root), "");
    EXPECT_EQ(LatencyTimerAdvice(machine.Dev("ttyACM0"), root), "");
}

TEST(TemporaryDirectory, TempThenTmpdirThenSlashTmp) {
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"/a", "/b", "/a"},         {nullptr, "/b", "/b"}, {"", "/b", "/b"},
        {nullptr, nullptr, "/tmp"}, {"", "", "/tmp"},
    };
    for (const auto& [temp, tmpdir, expected] : cases) {
        for (const auto& [variable, value] : {std::pair{"TEMP", temp}, {"TMPDIR", tmpdir}}) {
            value != nullptr ? setenv(variable, value, 1) : unsetenv(variable);
        }
        EXPECT_EQ(TemporaryDirectory(), expected);
    }
    unsetenv("TEMP");
    unsetenv("TMPDIR");
}

}  // namespace

}  // namespace korvel
