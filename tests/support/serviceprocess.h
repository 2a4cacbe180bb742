#pragma once

#include <QProcess>
#include <QString>

// qorvil-service run as its own process on a database, listening on 127.0.0.1 at a port the system chooses.
class ServiceProcess
{
public:
    ServiceProcess(const QString& program, const QString& database, const QStringList& extraArguments = {});
    ~ServiceProcess();

    // Starts it and waits until it listens; false (with the log saying why) when it does not.
    [[nodiscard]] bool start();
    quint16 port() const { return m_port; }
    // Everything it wrote to standard error so far.
    QString log();
    // SIGTERM, then waits for the end: the exit status, or -1 when it crashed or did not end.
    int stop();

    QProcess process;

private:
    QString m_log;
    quint16 m_port = 0;
};
