#include "app/StartArguments.h"

#include <QFile>

StartArguments::StartArguments(int argc, const char *const *argv)
{
    for (int i = 0; i < argc; ++i) {
        const QByteArray bytes(argv[i]);
        const QString text = QFile::decodeName(bytes);
        m_arguments.append(text);
        // The program's own path is never acted on.
        if (i > 0 && QFile::encodeName(text) != bytes)
            m_unreadable.append(text);
    }
}

QString StartArguments::refusalMessage() const
{
    return m_unreadable.size() == 1
        ? tr("Corvex cannot work with “%1”.").arg(m_unreadable.first())
        : tr("Corvex cannot work with %n of the items.", nullptr, int(m_unreadable.size()));
}

QString StartArguments::refusalInformativeText() const
{
    return tr("Its name is not valid UTF-8, so Corvex could not be sure to act on that item and no "
              "other. Nothing was done. Rename it and try again.\n\n%1")
        .arg(m_unreadable.join(QLatin1Char('\n')));
}
