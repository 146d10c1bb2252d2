#include "ui/qtfolderpicker.h"

#include <QApplication>
#include <QFileDialog>

std::optional<std::string> QtFolderPicker::chooseFolder(const std::string& title)
{
    const QString dir = QFileDialog::getExistingDirectory(QApplication::activeWindow(),
                                                          QString::fromStdString(title),
                                                          QString(),
                                                          QFileDialog::ShowDirsOnly);
    if (dir.isEmpty())
        return std::nullopt;
    return dir.toStdString();
}
