#include "platform/qt/FileDialogBinding.h"

#include <QFileDialog>

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

std::string QtFileDialogView::ChooseFileToOpen(const std::vector<FileFilter>& filters) {
    return QFileDialog::getOpenFileName(&owner_, QString(), QString(),
                                        NameFilters(filters).join(QStringLiteral(";;")))
        .toStdString();
}

std::string QtFileDialogView::ChooseFileToSave(const std::vector<FileFilter>& filters) {
    return QFileDialog::getSaveFileName(&owner_, QString(), QString(),
                                        NameFilters(filters).join(QStringLiteral(";;")), nullptr,
                                        QFileDialog::DontConfirmOverwrite)
        .toStdString();
}
