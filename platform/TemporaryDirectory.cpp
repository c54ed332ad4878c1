#include "platform/TemporaryDirectory.h"

#include <cstdlib>

namespace korvel {

std::string TemporaryDirectory() {
    for (const char* variable : {"TEMP", "TMPDIR"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && *value != '\0') {
            return value;
        }
    }
    return "/tmp";
}

}  // namespace korvel
