#include "window/FileDialogs.h"

#include <QFileDialog>

namespace korvel {

std::string NameToSave(const std::string& chosen, const std::vector<FileFilter>& filters,
                       std::size_t chosenType) {
    if (chosen.empty() || chosenType >= filters.size() || filters[chosenType].patterns.empty()) {
        return chosen;
    }
    // "*.bin" names an extension; "*" and the like do not.
    const std::string& pattern = filters[chosenType].patterns.front();
    if (pattern.size() < 3 || pattern.compare(0, 2, "*.") != 0 ||
        pattern.find_first_of("*?[", 1) != std::string::npos) {
        return chosen;
    }
    // A dot that starts the name (".eeprom") only hides the file; it makes no extension.
    const std::size_t nameStart = chosen.rfind('/') + 1;
    if (chosen.find('.', nameStart + 1) != std::string::npos) {
        return chosen;
    }
    return chosen + pattern.substr(1);
}

QStringList NameFilters(const std::vector<FileFilter>& filters) {
    QStringList names;
    for (const FileFilter& filter : filters) {
        QStringList patterns;
        for (const std::string& pattern : filter.patterns) {
            patterns << QString::fromStdString(pattern);
        }
        QString description = QString::fromStdString(filter.description).trimmed();
        const int open = description.lastIndexOf(QLatin1Char('('));
        if (open > 0 && description.endsWith(QLatin1Char(')'))) {
            description = description.left(open).trimmed();
        }
        names << description + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) +
                     QLatin1Char(')');
    }
    return names;
}

std::string QtFileChooser::ChooseFileToOpen(const std::vector<FileFilter>& filters) {
    return QFileDialog::getOpenFileName(&owner_, QString(), QString(),
                                        NameFilters(filters).join(QStringLiteral(";;")))
        .toStdString();
}

std::string QtFileChooser::ChooseFileToSave(const std::vector<FileFilter>& filters) {
    const QStringList names = NameFilters(filters);
    QString chosenType;
    const QString chosen = QFileDialog::getSaveFileName(
        &owner_, QString(), QString(), names.join(QStringLiteral(";;")), &chosenType,
        QFileDialog::DontConfirmOverwrite);
    const qsizetype type = names.indexOf(chosenType);
    return NameToSave(chosen.toStdString(), filters, type < 0 ? 0 : static_cast<std::size_t>(type));
}

}  // namespace korvel
