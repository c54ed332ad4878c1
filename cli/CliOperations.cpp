#include "cli/CliOperations.h"

namespace korvel {

const CliOperation* FindCliOperation(const std::string& word) {
    for (const CliOperation& operation : kCliOperations) {
        if (word == operation.word) {
            return &operation;
        }
    }
    return nullptr;
}

}  // namespace korvel
