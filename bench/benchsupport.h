#pragma once

#include "widgets/dialogs.h"

#include <QFile>
#include <QString>

// Answers every box at once, so a notice never stalls the server while it is measured.
class AnsweringDialogs final : public Dialogs
{
public:
    AnsweringDialogs() { Dialogs::install(this); }
    ~AnsweringDialogs() override { Dialogs::install(nullptr); }

    Answer message(const QString&, const QString&, Buttons buttons, Icon) override
    {
        return buttons == Buttons::YesNo ? Answer::Yes : Answer::Ok;
    }
    QString input(const QString&, const QString&) override { return {}; }
    NoticeId notice(const QString&, const QString&, Icon, std::function<void()> onDismissed) override
    {
        if (onDismissed)
            onDismissed();
        return 0;
    }
    void updateNotice(NoticeId, const QString&) override {}
    void withdrawNotice(NoticeId) override {}
    QString saveFileName(const QString&, const QString&, const QString&) override { return {}; }
    bool choosePrinter(QPrinter&) override { return false; }
};

// A line of /proc/self/status in KiB (VmRSS, VmHWM).
inline long procStatusKiB(const char* field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray key = QByteArray(field) + ':';
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(key.size()).trimmed().split(' ').value(0).toLong();
    return -1;
}
