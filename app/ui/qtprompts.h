// Message boxes as the program shows them: modal, one OK button, the given
// icon and title; and the question, with the buttons "Sim" and "Não".
#pragma once

#include "core/prompts.h"

class QWidget;

class QtPrompts : public Prompts {
public:
    explicit QtPrompts(QWidget* owner = nullptr) : m_owner(owner) {}
    void setOwner(QWidget* owner) { m_owner = owner; }
    void show(const std::string& text, PromptIcon icon, const std::string& title) override;
    bool ask(const std::string& text, const std::string& title) override;

private:
    QWidget* m_owner;
};
