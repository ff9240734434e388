#pragma once

#include <QByteArray>
#include <QProcess>
#include <QTemporaryDir>

namespace kelvaris::e2e {

// One run of the real program: a copy of the executable in a directory of
// its own, so that the settings file it reads and writes lies beside it,
// started as a separate process on the test's X display. The process is
// killed when the run is dropped.
class ProgramRun
{
public:
    // Copies the executable at `executable`; ready() tells whether that worked.
    explicit ProgramRun(const QString& executable);
    ~ProgramRun();
    ProgramRun(const ProgramRun&) = delete;
    ProgramRun& operator=(const ProgramRun&) = delete;

    bool ready() const { return m_ready; }
    QString appDir() const { return m_appDir.path(); }
    QString iniPath() const;
    bool writeIni(const QByteArray& bytes) const;
    QByteArray iniBytes() const;

    // The directory the program starts in (default: the test's own).
    void setWorkingDirectory(const QString& dir) { m_process.setWorkingDirectory(dir); }
    bool start();
    bool isRunning() const { return m_process.state() != QProcess::NotRunning; }
    // Waits for the program to end of itself; false when it has not within `timeoutMs`.
    bool waitForExit(int timeoutMs);
    int exitCode() const { return m_process.exitCode(); }
    QProcess::ExitStatus exitStatus() const { return m_process.exitStatus(); }
    // Everything the program has printed so far, both channels.
    QByteArray output();

private:
    QTemporaryDir m_appDir;
    QProcess m_process;
    QByteArray m_output;
    bool m_ready = false;
};

} // namespace kelvaris::e2e
