#include "platform/ExtDlgs.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QStringList>

#include "platform/Forms.h"

std::vector<std::string> QtNameFilters(const std::string& filter)
{
    const QStringList parts = QString::fromStdString(filter).split('|');
    std::vector<std::string> filters;
    for (qsizetype k = 0; k + 1 < parts.size(); k += 2) {
        const QStringList patterns = parts[k + 1].split(';', Qt::SkipEmptyParts);
        filters.push_back((parts[k] + " (" + patterns.join(' ') + ")").toStdString());
    }
    return filters;
}

bool TOpenPictureDialog::Execute()
{
    QFileDialog dialog(Application->MainForm());
    dialog.setOption(QFileDialog::DontUseNativeDialog);  // the same dialog on every desktop
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    QStringList names;
    for (const std::string& f : QtNameFilters(Filter)) names << QString::fromStdString(f);
    dialog.setNameFilters(names);
    if (FilterIndex >= 1 && FilterIndex <= names.size()) dialog.selectNameFilter(names[FilterIndex - 1]);
    // Reopen where the last file was chosen; the name itself is not carried
    // over, so what is confirmed is only ever what the user chose this time.
    if (!FileName.empty()) dialog.setDirectory(QFileInfo(QString::fromStdString(FileName)).absolutePath());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
    FileName = dialog.selectedFiles().first().toStdString();
    FilterIndex = static_cast<int>(names.indexOf(dialog.selectedNameFilter())) + 1;
    return true;
}
