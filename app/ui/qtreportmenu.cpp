#include "ui/qtreportmenu.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QUrl>

std::optional<std::string> QtLogFilePicker::chooseLog(const std::string& startFolder)
{
    const QString file = QFileDialog::getOpenFileName(m_owner,
                                                      QString::fromUtf8(kMenuArquivo),
                                                      QString::fromStdString(startFolder),
                                                      QString::fromUtf8(kLogFilter));
    if (file.isEmpty())
        return std::nullopt;
    return file.toStdString();
}

bool QtReportBrowser::show(const std::string& htmlPath)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(htmlPath)));
}
