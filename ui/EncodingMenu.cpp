#include "ui/EncodingMenu.h"

#include "engine/CodePages.h"
#include "engine/NameRecovery.h"

#include <QActionGroup>

EncodingMenu::EncodingMenu(QWidget *parent) : QMenu(parent)
{
    setObjectName(QStringLiteral("encodingMenu"));
}

void EncodingMenu::setNames(const NameRecovery &names)
{
    clear();
    auto *group = new QActionGroup(this);
    for (const CodePages::CodePage &codePage : CodePages::all()) {
        const QString label = CodePages::label(codePage);
        QAction *action = addAction(codePage.number == names.detected() ? tr("%1 (detected)").arg(label) : label);
        action->setObjectName(QStringLiteral("codePage%1").arg(codePage.number));
        action->setCheckable(true);
        action->setChecked(codePage.number == names.codePage());
        group->addAction(action);
        connect(action, &QAction::triggered, this, [this, number = codePage.number] { emit chosen(number); });
    }
}
