#pragma once

#include "widgets/dialogs.h"

#include <QList>
#include <QString>
#include <deque>
#include <functional>

// Answers every box from a queue and records what was shown, so tests can check texts, titles and icons.
class ScriptedDialogs : public Dialogs
{
public:
    struct Box
    {
        QString kind; // "message", "input", "notice", "save", "print"
        QString text;
        QString title;
        Buttons buttons = Buttons::Ok;
        Icon icon = Icon::None;
        NoticeId notice = 0;
    };

    ScriptedDialogs();           // installs itself
    ~ScriptedDialogs() override; // restores the real boxes

    Answer message(const QString& text, const QString& title, Buttons buttons, Icon icon) override;
    QString input(const QString& prompt, const QString& title) override;
    NoticeId notice(const QString& text, const QString& title, Icon icon, std::function<void()> onDismissed) override;
    void updateNotice(NoticeId id, const QString& text) override;
    void withdrawNotice(NoticeId id) override;
    QString saveFileName(const QString& caption, const QString& suggested, const QString& filter) override;
    bool choosePrinter(QPrinter& printer) override;

    // Queued answers; a Yes/No box with nothing queued is answered No, an input box with the empty text.
    void queueAnswer(Answer answer) { m_answers.push_back(answer); }
    void queueText(const QString& text) { m_texts.push_back(text); }
    // An accepted printer with an output file prints into that PDF file.
    void queuePrinter(bool accept, const QString& outputFile = QString())
    {
        m_printers.emplace_back(accept, outputFile);
    }

    // Notices are dismissed at once unless held; held notices wait for dismissNotice(). The first held notice
    // is the one on screen: a notice withdrawn while it still waits behind it is removed from `boxes`.
    void holdNotices(bool hold) { m_hold = hold; }
    int pendingNotices() const { return int(m_pending.size()); }
    bool dismissNotice();

    // Runs when a modal box is shown, before it is answered (to look at the window behind it).
    std::function<void(const Box&)> onShow;

    QList<Box> boxes;
    QStringList texts() const;
    Box last() const { return boxes.isEmpty() ? Box{} : boxes.last(); }
    void clear() { boxes.clear(); }

private:
    std::deque<Answer> m_answers;
    std::deque<QString> m_texts;
    std::deque<std::pair<bool, QString>> m_printers;
    struct Pending
    {
        NoticeId id;
        std::function<void()> onDismissed;
    };
    std::deque<Pending> m_pending;
    NoticeId m_lastId = 0;
    bool m_hold = false;
};
