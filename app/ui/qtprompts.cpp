#include "ui/qtprompts.h"

#include <QMessageBox>
#include <QPushButton>

void QtPrompts::show(const std::string& text, PromptIcon icon, const std::string& title)
{
    QMessageBox box(icon == PromptIcon::Warning ? QMessageBox::Warning : QMessageBox::Information,
                    QString::fromStdString(title),
                    QString::fromStdString(text),
                    QMessageBox::Ok,
                    m_owner);
    box.exec();
}

bool QtPrompts::ask(const std::string& text, const std::string& title)
{
    QMessageBox box(QMessageBox::Question,
                    QString::fromStdString(title),
                    QString::fromStdString(text),
                    QMessageBox::NoButton,
                    m_owner);
    // Buttons of our own: the standard Yes and No take the system's language.
    QPushButton* sim = box.addButton(QStringLiteral("Sim"), QMessageBox::YesRole);
    QPushButton* nao = box.addButton(QStringLiteral("Não"), QMessageBox::NoRole);
    // Enter keeps what was read; Esc or closing the box keeps nothing.
    box.setDefaultButton(sim);
    box.setEscapeButton(nao);
    box.exec();
    return box.clickedButton() == sim;
}
