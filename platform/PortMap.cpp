#include "platform/PortMap.h"

#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <tuple>

namespace korvel {

namespace {

std::vector<std::string> Entries(const std::string& directory) {
    std::vector<std::string> names;
    if (DIR* dir = opendir(directory.c_str())) {
        while (const dirent* entry = readdir(dir)) {
            const std::string name = entry->d_name;
            if (name != "." && name != "..") {
                names.push_back(name);
            }
        }
        closedir(dir);
    }
    return names;
}

// The number after `prefix` in a name such as ttyS12, or -1 when the name is not of that form.
long NumberAfter(const std::string& name, const std::string& prefix) {
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0 ||
        !std::all_of(name.begin() + static_cast<long>(prefix.size()), name.end(),
                     [](unsigned char c) { return std::isdigit(c) != 0; })) {
        return -1;
    }
    return std::strtol(name.c_str() + prefix.size(), nullptr, 10);
}

// An 8250 port that the kernel probed and found nothing at reports type 0.
bool UartIsThere(const std::string& sysTty, const std::string& name) {
    std::ifstream type(sysTty + "/" + name + "/type");
    int value = 0;
    return static_cast<bool>(type >> value) && value != 0;
}

// The by-id name of each adapter, by its kernel name.
std::map<std::string, std::string> StableNames(const std::string& byIdDirectory) {
    std::map<std::string, std::string> names;
    for (const std::string& link : Entries(byIdDirectory)) {
        char target[4096];
        const ssize_t length =
            readlink((byIdDirectory + "/" + link).c_str(), target, sizeof target - 1);
        if (length > 0) {
            const std::string path(target, static_cast<std::size_t>(length));
            names.emplace(path.substr(path.rfind('/') + 1), link);
        }
    }
    return names;
}

std::string Under(const std::string& root, const std::string& path) {
    return root == "/" ? path : root + path;
}

// The serial ports of the machine below `root`, in the order they fill the port list.
std::vector<PortAssignment> FindSerialPorts(const std::string& root) {
    const std::string sysTty = Under(root, "/sys/class/tty");
    const std::map<std::string, std::string> byId = StableNames(Under(root, "/dev/serial/by-id"));
    // Sort keys: UARTs first, by number; then adapters with a by-id name, by it; then the rest,
    // by name.
    std::vector<std::tuple<int, std::string, long, std::string>> found;
    for (const std::string& name : Entries(sysTty)) {
        const long uart = NumberAfter(name, "ttyS");
        const long adapter = std::max(NumberAfter(name, "ttyUSB"), NumberAfter(name, "ttyACM"));
        const auto stable = byId.find(name);
        if (uart >= 0 && UartIsThere(sysTty, name)) {
            found.emplace_back(0, "", uart, name);
        } else if (adapter >= 0 && stable != byId.end()) {
            found.emplace_back(1, stable->second, 0, name);
        } else if (adapter >= 0) {
            found.emplace_back(2, name.substr(0, 6), adapter, name);
        }
    }
    std::sort(found.begin(), found.end());
    std::vector<PortAssignment> ports;
    for (const auto& [kind, key, number, name] : found) {
        const std::string detail = kind == 0   ? "built-in serial port"
                                   : kind == 1 ? "USB serial adapter " + key
                                               : "USB serial adapter";
        ports.push_back({Under(root, "/dev/" + name), PortOrigin::Found, detail});
    }
    return ports;
}

}  // namespace

bool PortNames::Given(int portNumber, PortAssignment& port) const {
    const auto named = named_.find(portNumber);
    if (named != named_.end()) {
        port = {named->second, PortOrigin::Named, ""};
        return true;
    }
    const std::string variable = "KORVEL_COM" + std::to_string(portNumber);
    const char* fromEnvironment = std::getenv(variable.c_str());
    if (fromEnvironment != nullptr && *fromEnvironment != '\0') {
        port = {fromEnvironment, PortOrigin::Environment, variable};
        return true;
    }
    return false;
}

std::vector<PortAssignment> PortNames::Assignments() const {
    std::vector<PortAssignment> ports = FindSerialPorts(root_);
    ports.resize(kPortCount);
    for (int number = 1; number <= kPortCount; ++number) {
        Given(number, ports[static_cast<std::size_t>(number - 1)]);
    }
    return ports;
}

std::string PortNames::Device(int portNumber) const {
    if (portNumber < 1 || portNumber > kPortCount) {
        return {};
    }
    // A port named for it needs no look at the machine's serial ports.
    PortAssignment port;
    return Given(portNumber, port) ? port.device
                                   : Assignments()[static_cast<std::size_t>(portNumber - 1)].device;
}

std::string PortNames::Label(int portNumber) const {
    const auto named = named_.find(portNumber);
    return named != named_.end() ? named->second : "COM" + std::to_string(portNumber);
}

int PortNames::StartPortNumber() const {
    const std::vector<PortAssignment> ports = Assignments();
    if (!ports[kDefaultPortNumber - 1].device.empty()) {
        return kDefaultPortNumber;
    }
    const auto first = std::find_if(ports.begin(), ports.end(), [](const PortAssignment& port) {
        return !port.device.empty();
    });
    return first == ports.end() ? kDefaultPortNumber : static_cast<int>(first - ports.begin()) + 1;
}

std::string KernelName(const std::string& device) {
    char* resolved = realpath(device.c_str(), nullptr);
    const std::string path = resolved != nullptr ? resolved : device;
    std::free(resolved);
    return path.substr(path.rfind('/') + 1);
}

}  // namespace korvel
