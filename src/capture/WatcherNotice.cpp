#include "capture/WatcherNotice.h"

namespace kelvaris {

void WatcherNotice::directoryLost(const QString& directory)
{
    m_directoryLost = true;
    m_lostDirectory = directory;
}

void WatcherNotice::directoryRead()
{
    m_directoryLost = false;
    m_lostDirectory.clear();
}

void WatcherNotice::fileRefused(const QString& name, const QString& reason, bool incomplete,
                                qint64 nowMs)
{
    if (name != m_refusedName || incomplete != m_incomplete) {
        m_refusedName = name;
        m_incomplete = incomplete;
        m_refusals = 0;
        m_firstRefusalMs = nowMs;
    }
    m_reason = reason;
    m_lastRefusalMs = nowMs;
    ++m_refusals;
}

void WatcherNotice::fileCleared()
{
    m_refusedName.clear();
    m_reason.clear();
    m_refusals = 0;
}

void WatcherNotice::clear()
{
    directoryRead();
    fileCleared();
}

QString WatcherNotice::text() const
{
    if (m_directoryLost)
        return QStringLiteral("Le répertoire de réception «\u00a0%1\u00a0» est introuvable ou "
                              "illisible\u00a0; "
                              "la surveillance reprendra dès son retour.")
            .arg(m_lostDirectory);
    if (m_refusedName.isEmpty())
        return QString();
    if (m_incomplete) {
        if (m_refusals < IncompleteLooks || m_lastRefusalMs - m_firstRefusalMs < IncompleteMs)
            return QString();
        return QStringLiteral(
                   "«\u00a0%1\u00a0» est toujours incomplet\u00a0; tant qu'il l'est, les nouvelles "
                   "prises de vue attendent.")
            .arg(m_refusedName);
    }
    return QStringLiteral("«\u00a0%1\u00a0» %2\u00a0; dernier fichier par ordre de nom, il masque "
                          "les nouvelles "
                          "prises de vue.")
        .arg(m_refusedName, m_reason);
}

} // namespace kelvaris
