#include "tests/window/ScriptedServices.h"

#include "dialog/DialogHost.h"

int ScriptedBoxes::Show(QWidget&, const std::string& text, const std::string& title,
                        unsigned style) {
    shown.push_back({text, title, style});
    if (!answers.empty()) {
        const int answer = answers.front();
        answers.pop_front();
        return answer;
    }
    return (style & MB_YESNO) != 0 ? IDYES : IDOK;
}

std::string ScriptedFiles::ChooseFileToOpen(const std::vector<FileFilter>&) {
    ++opens;
    return Next();
}

std::string ScriptedFiles::ChooseFileToSave(const std::vector<FileFilter>&) {
    ++saves;
    return Next();
}

std::string ScriptedFiles::Next() {
    if (paths.empty()) {
        return {};
    }
    std::string path = paths.front();
    paths.pop_front();
    return path;
}
