#include "tests/support/scripteddialogs.h"

#include <QPrinter>
#include <algorithm>

ScriptedDialogs::ScriptedDialogs()
{
    Dialogs::install(this);
}

ScriptedDialogs::~ScriptedDialogs()
{
    Dialogs::install(nullptr);
}

Dialogs::Answer ScriptedDialogs::message(const QString& text, const QString& title, Buttons buttons, Icon icon)
{
    boxes.append({QStringLiteral("message"), text, title, buttons, icon});
    if (onShow)
        onShow(boxes.last());
    if (buttons == Buttons::Ok)
        return Answer::Ok;
    if (m_answers.empty())
        return Answer::No;
    const Answer answer = m_answers.front();
    m_answers.pop_front();
    return answer;
}

QString ScriptedDialogs::input(const QString& prompt, const QString& title)
{
    boxes.append({QStringLiteral("input"), prompt, title, Buttons::Ok, Icon::None});
    if (onShow)
        onShow(boxes.last());
    if (m_texts.empty())
        return QString();
    QString text = m_texts.front();
    m_texts.pop_front();
    return text;
}

Dialogs::NoticeId ScriptedDialogs::notice(const QString& text, const QString& title, Icon icon,
                                          std::function<void()> onDismissed)
{
    const NoticeId id = ++m_lastId;
    boxes.append({QStringLiteral("notice"), text, title, Buttons::Ok, icon, id});
    m_pending.push_back({id, std::move(onDismissed)});
    if (!m_hold)
        while (dismissNotice()) {
        }
    return id;
}

void ScriptedDialogs::updateNotice(NoticeId id, const QString& text)
{
    const bool open = std::any_of(m_pending.begin(), m_pending.end(), [id](const Pending& p) { return p.id == id; });
    for (Box& box : boxes) {
        if (open && box.notice == id)
            box.text = text;
    }
}

void ScriptedDialogs::withdrawNotice(NoticeId id)
{
    if (m_pending.empty() || m_pending.front().id == id)
        return;
    const auto waiting =
        std::find_if(m_pending.begin() + 1, m_pending.end(), [id](const Pending& p) { return p.id == id; });
    if (waiting == m_pending.end())
        return;
    m_pending.erase(waiting);
    boxes.removeIf([id](const Box& box) { return box.notice == id; });
}

bool ScriptedDialogs::dismissNotice()
{
    if (m_pending.empty())
        return false;
    auto done = std::move(m_pending.front().onDismissed);
    m_pending.pop_front();
    if (done)
        done();
    return true;
}

QString ScriptedDialogs::saveFileName(const QString& caption, const QString& suggested, const QString& filter)
{
    boxes.append({QStringLiteral("save"), suggested, caption, Buttons::Ok, Icon::None});
    Q_UNUSED(filter);
    if (m_texts.empty())
        return QString();
    QString text = m_texts.front();
    m_texts.pop_front();
    return text;
}

bool ScriptedDialogs::choosePrinter(QPrinter& printer)
{
    boxes.append({QStringLiteral("print"), QString(), QString(), Buttons::Ok, Icon::None});
    if (m_printers.empty())
        return false;
    const auto [accept, outputFile] = m_printers.front();
    m_printers.pop_front();
    if (accept && !outputFile.isEmpty())
        printer.setOutputFileName(outputFile);
    return accept;
}

QStringList ScriptedDialogs::texts() const
{
    QStringList all;
    for (const Box& box : boxes)
        all << box.text;
    return all;
}
