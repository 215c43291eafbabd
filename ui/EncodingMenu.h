#pragma once

#include <QMenu>

class NameRecovery;

// The Encoding choice: the code pages an old ZIP's names may be in, by
// readable name, the one in use checked and the detected one marked.
class EncodingMenu : public QMenu
{
    Q_OBJECT
public:
    explicit EncodingMenu(QWidget *parent = nullptr);

    // Shows the choices for the names of the archive now open.
    void setNames(const NameRecovery &names);

signals:
    void chosen(int codePage);
};
