// The hint buttons of the three pages.
#include "app/FrmDorivan.h"

#include "app/hint_window.h"

#include <QPushButton>

void FrmDorivan::connectHints()
{
    for (QPushButton* button : {cmdHint, cmdHint1, cmdHint2}) {
        const QString name = button->objectName();
        connect(button, &QPushButton::clicked, this, [this, name] { showHint(name); });
    }
}

void FrmDorivan::showHint(const QString& ctlName)
{
    hintFormName = objectName();
    hintCtlName = ctlName;
    // The caption without the mark of unsaved edits: the hint is stored under it.
    hintFormTitle = plainTitle();
    // An open window keeps the key it was opened with, so a text being written is saved where the user
    // started it, whichever page's button was pressed since.
    if (!m_hintWindow)
        m_hintWindow = new Hint(db(), {hintFormName, hintCtlName, hintFormTitle}, m_prompts, this);
    if (m_hintWindow->isMinimized())
        m_hintWindow->showNormal();
    else
        m_hintWindow->show();
    m_hintWindow->raise();
    m_hintWindow->activateWindow();
}
