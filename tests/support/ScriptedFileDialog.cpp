#include "tests/support/ScriptedFileDialog.h"

std::string ScriptedFileDialog::ChooseFileToOpen(const std::vector<FileFilter>& filters) {
    return Answer(false, filters);
}

std::string ScriptedFileDialog::ChooseFileToSave(const std::vector<FileFilter>& filters) {
    return Answer(true, filters);
}

std::string ScriptedFileDialog::Answer(bool save, const std::vector<FileFilter>& filters) {
    shown.push_back({save, filters});
    if (answers.empty()) {
        return {};
    }
    std::string answer = answers.front();
    answers.pop_front();
    return answer;
}
