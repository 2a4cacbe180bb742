#include "tests/support/serviceprocess.h"

#include <QDeadlineTimer>
#include <QRegularExpression>

ServiceProcess::ServiceProcess(const QString& program, const QString& database, const QStringList& extraArguments)
{
    process.setProgram(program);
    process.setReadChannel(QProcess::StandardError);
    process.setArguments(QStringList{"--database", database, "--port", "0", "--listen", "127.0.0.1"} + extraArguments);
}

ServiceProcess::~ServiceProcess()
{
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished(5000);
    }
}

bool ServiceProcess::start()
{
    process.start();
    if (!process.waitForStarted(10000))
        return false;
    static const QRegularExpression listening(QStringLiteral("^<6>Listening for terminals on .+ port (\\d+)"),
                                              QRegularExpression::MultilineOption);
    const QDeadlineTimer deadline(30000);
    while (!deadline.hasExpired() && process.state() == QProcess::Running) {
        const QRegularExpressionMatch match = listening.match(log());
        if (match.hasMatch()) {
            m_port = quint16(match.captured(1).toUInt());
            return true;
        }
        process.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime())));
    }
    log();
    return false;
}

QString ServiceProcess::log()
{
    m_log += QString::fromUtf8(process.readAllStandardError());
    return m_log;
}

int ServiceProcess::stop()
{
    process.terminate();
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit) {
        log();
        return -1;
    }
    log();
    return process.exitCode();
}
