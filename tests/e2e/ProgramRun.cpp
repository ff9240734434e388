#include "e2e/ProgramRun.h"

#include <QFile>
#include <QFileInfo>
#include <QProcessEnvironment>

namespace kelvaris::e2e {

ProgramRun::ProgramRun(const QString& executable)
{
    if (!m_appDir.isValid())
        return;
    const QString copy = m_appDir.filePath(QFileInfo(executable).fileName());
    m_ready = QFile::copy(executable, copy) &&
              QFile::setPermissions(copy, QFile::permissions(executable) | QFile::ExeOwner);

    // The program shows itself on the X display the test runs in, whatever
    // platform the test process itself was told to use.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    m_process.setProcessEnvironment(environment);
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    m_process.setProgram(copy);
}

ProgramRun::~ProgramRun()
{
    if (isRunning()) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

QString ProgramRun::iniPath() const
{
    return m_appDir.filePath(QStringLiteral("kelvaris.ini"));
}

bool ProgramRun::writeIni(const QByteArray& bytes) const
{
    QFile file(iniPath());
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray ProgramRun::iniBytes() const
{
    QFile file(iniPath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool ProgramRun::start()
{
    if (!m_ready)
        return false;
    m_process.start();
    return m_process.waitForStarted(10000);
}

bool ProgramRun::waitForExit(int timeoutMs)
{
    return !isRunning() || m_process.waitForFinished(timeoutMs);
}

QByteArray ProgramRun::output()
{
    m_output += m_process.readAll();
    return m_output;
}

} // namespace kelvaris::e2e
