#pragma once

#include <QString>
#include <functional>

class QPrinter;
class QWidget;

// Every box the programs show goes through this seam, so tests can answer them. Box texts are plain text:
// they carry IDs, names and file contents, which must never be read as markup.
class Dialogs
{
public:
    enum class Buttons { Ok, YesNo };
    enum class Icon { None, Information, Exclamation, Question };
    enum class Answer { Ok, Yes, No };

    virtual ~Dialogs() = default;

    // Modal message box; the caller waits for the answer.
    virtual Answer message(const QString& text, const QString& title, Buttons buttons, Icon icon) = 0;
    // Modal input box, empty at first; the empty text when cancelled.
    virtual QString input(const QString& prompt, const QString& title) = 0;
    // A notice that does not block the caller: onDismissed runs once the user closed it.
    // Notices are shown one at a time, in the order they were raised, and each takes all the program's
    // input while it is up.
    using NoticeId = quint64;
    virtual NoticeId notice(const QString& text, const QString& title, Icon icon,
                            std::function<void()> onDismissed) = 0;
    // Changes the text of a notice still waiting or on screen; nothing once it was dismissed.
    virtual void updateNotice(NoticeId id, const QString& text) = 0;
    // Drops a notice still waiting to be shown (its onDismissed never runs); one on screen stays.
    virtual void withdrawNotice(NoticeId id) = 0;
    // File name to save to, or the empty text when cancelled.
    virtual QString saveFileName(const QString& caption, const QString& suggested, const QString& filter) = 0;
    // Lets the user choose and set up a printer; false when cancelled.
    virtual bool choosePrinter(QPrinter& printer) = 0;

    Answer ok(const QString& text, const QString& title, Icon icon) { return message(text, title, Buttons::Ok, icon); }
    bool yesNo(const QString& text, const QString& title, Icon icon = Icon::Question)
    {
        return message(text, title, Buttons::YesNo, icon) == Answer::Yes;
    }

    // The installed implementation (the real boxes unless a test installed its own).
    static Dialogs& get();
    // Installs an implementation; nullptr restores the real boxes. Not owned.
    static void install(Dialogs* dialogs);
};

inline Dialogs& dialogs()
{
    return Dialogs::get();
}

// The message every window shows when the database connection is not open (with the reason, when the
// file was refused as not the program's own).
void showDatabaseNotOpen();
// The message a window shows when it cannot read what it needs: "<what> could not be read: <why>".
void showReadFailed(const QString& what, const QString& why);
