#include "ui/qtprompts.h"

#include <QMessageBox>

void QtPrompts::show(const std::string& text, PromptIcon icon, const std::string& title)
{
    QMessageBox box(icon == PromptIcon::Warning ? QMessageBox::Warning : QMessageBox::Information,
                    QString::fromStdString(title),
                    QString::fromStdString(text),
                    QMessageBox::Ok,
                    m_owner);
    box.exec();
}
