#include "controls/CCommonDialog1.h"

#include <sstream>

namespace korvel {

namespace {

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::istringstream in(text);
    for (std::string part; std::getline(in, part, separator);) {
        parts.push_back(part);
    }
    return parts;
}

}  // namespace

void CCommonDialog1::SetFilter(const std::string& filter) {
    filters_.clear();
    const std::vector<std::string> fields = Split(filter, '|');
    for (std::size_t i = 0; i + 1 < fields.size(); i += 2) {
        FileFilter type{fields[i], {}};
        for (const std::string& pattern : Split(fields[i + 1], ';')) {
            type.patterns.push_back(pattern == "*.*" ? "*" : pattern);
        }
        filters_.push_back(type);
    }
}

void CCommonDialog1::ShowOpenDialog() {
    fileName_ = view_ != nullptr ? view_->ChooseFileToOpen(filters_) : std::string();
}

void CCommonDialog1::ShowSaveDialog() {
    fileName_ = view_ != nullptr ? view_->ChooseFileToSave(filters_) : std::string();
}

}  // namespace korvel
