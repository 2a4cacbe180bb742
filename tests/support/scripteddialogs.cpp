#include "tests/support/scripteddialogs.h"

#include <QPrinter>

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
    const QString text = m_texts.front();
    m_texts.pop_front();
    return text;
}

void ScriptedDialogs::notice(const QString& text, const QString& title, Icon icon, std::function<void()> onDismissed)
{
    boxes.append({QStringLiteral("notice"), text, title, Buttons::Ok, icon});
    m_pending.push_back(std::move(onDismissed));
    if (!m_hold)
        while (dismissNotice()) {
        }
}

bool ScriptedDialogs::dismissNotice()
{
    if (m_pending.empty())
        return false;
    auto done = std::move(m_pending.front());
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
    const QString text = m_texts.front();
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
