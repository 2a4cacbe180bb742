#include "widgets/dialogs.h"

#include "core/store/database.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <deque>

namespace {

QMessageBox::Icon toQt(Dialogs::Icon icon)
{
    switch (icon) {
    case Dialogs::Icon::Information:
        return QMessageBox::Information;
    case Dialogs::Icon::Exclamation:
        return QMessageBox::Warning;
    case Dialogs::Icon::Question:
        return QMessageBox::Question;
    case Dialogs::Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QString titleOrAppName(const QString& title)
{
    return title.isEmpty() ? QApplication::applicationDisplayName() : title;
}

class QtDialogs final : public Dialogs
{
public:
    Answer message(const QString& text, const QString& title, Buttons buttons, Icon icon) override
    {
        QMessageBox box(toQt(icon), titleOrAppName(title), text,
                        buttons == Buttons::YesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok,
                        QApplication::activeWindow());
        const int chosen = box.exec();
        if (buttons == Buttons::Ok)
            return Answer::Ok;
        return chosen == QMessageBox::Yes ? Answer::Yes : Answer::No;
    }

    QString input(const QString& prompt, const QString& title) override
    {
        bool accepted = false;
        const QString text = QInputDialog::getText(QApplication::activeWindow(), titleOrAppName(title), prompt,
                                                   QLineEdit::Normal, QString(), &accepted);
        return accepted ? text : QString();
    }

    void notice(const QString& text, const QString& title, Icon icon, std::function<void()> onDismissed) override
    {
        m_pending.push_back({text, title, icon, std::move(onDismissed)});
        if (!m_showing)
            showNext();
    }

    QString saveFileName(const QString& caption, const QString& suggested, const QString& filter) override
    {
        return QFileDialog::getSaveFileName(QApplication::activeWindow(), caption, suggested, filter);
    }

    bool choosePrinter(QPrinter& printer) override
    {
        QPrintDialog dialog(&printer, QApplication::activeWindow());
        return dialog.exec() == QDialog::Accepted;
    }

private:
    struct Pending
    {
        QString text;
        QString title;
        Icon icon;
        std::function<void()> onDismissed;
    };

    // One non-modal box at a time: a flood of notices never nests event loops.
    void showNext()
    {
        if (m_pending.empty()) {
            m_showing = false;
            return;
        }
        m_showing = true;
        Pending next = std::move(m_pending.front());
        m_pending.pop_front();
        auto* box = new QMessageBox(toQt(next.icon), titleOrAppName(next.title), next.text, QMessageBox::Ok,
                                    QApplication::activeWindow());
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setWindowModality(Qt::ApplicationModal);
        auto done = next.onDismissed;
        QObject::connect(box, &QMessageBox::finished, box, [this, done]() {
            if (done)
                done();
            showNext();
        });
        box->open();
    }

    std::deque<Pending> m_pending;
    bool m_showing = false;
};

Dialogs* g_installed = nullptr;

} // namespace

Dialogs& Dialogs::get()
{
    static QtDialogs real;
    return g_installed ? *g_installed : real;
}

void Dialogs::install(Dialogs* dialogs)
{
    g_installed = dialogs;
}

void showDatabaseNotOpen()
{
    const QString refusal = Database::refusal();
    dialogs().ok(QStringLiteral("Could not open database ...") +
                     (refusal.isEmpty() ? QString() : QStringLiteral("\n\n") + refusal),
                 QStringLiteral("Connection Failed"), Dialogs::Icon::Exclamation);
}

void showReadFailed(const QString& what, const QString& why)
{
    dialogs().ok(what + QStringLiteral(" could not be read: ") + why, QStringLiteral("Connection Failed"),
                 Dialogs::Icon::Exclamation);
}
