#include "widgets/dialogs.h"

#include "core/store/database.h"

#include <QApplication>
#include <QFileDialog>
#include <QGridLayout>
#include <QInputDialog>
#include <QLineEdit>
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
    // The program's name in the language in use (the name itself also names the user's data folder).
    return title.isEmpty()
               ? QCoreApplication::translate("Application", QApplication::applicationName().toUtf8().constData())
               : title;
}

// The width a box needs for its whole title: window managers cut a title that does not fit ("Warning!
// De...n in Progress"). The title bar's font is the desktop's, often bold; its buttons take room beside it.
int titleWidth(const QWidget& box)
{
    QFont titleFont = box.font();
    titleFont.setBold(true);
    return QFontMetrics(titleFont).horizontalAdvance(box.windowTitle()) + 120;
}

void widenForTitle(QMessageBox& box)
{
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
        grid->addItem(new QSpacerItem(titleWidth(box), 0, QSizePolicy::Minimum, QSizePolicy::Fixed), grid->rowCount(),
                      0, 1, grid->columnCount());
}

// A box's frame has a close button only: a question cannot be minimised or maximised.
void frameAsBox(QWidget& box)
{
    box.setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                       Qt::WindowCloseButtonHint);
}

class QtDialogs final : public Dialogs
{
public:
    Answer message(const QString& text, const QString& title, Buttons buttons, Icon icon) override
    {
        QMessageBox box(toQt(icon), titleOrAppName(title), text,
                        buttons == Buttons::YesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok,
                        QApplication::activeWindow());
        widenForTitle(box);
        frameAsBox(box);
        box.setTextFormat(Qt::PlainText);
        const int chosen = box.exec();
        if (buttons == Buttons::Ok)
            return Answer::Ok;
        return chosen == QMessageBox::Yes ? Answer::Yes : Answer::No;
    }

    QString input(const QString& prompt, const QString& title) override
    {
        QInputDialog box(QApplication::activeWindow());
        box.setWindowTitle(titleOrAppName(title));
        box.setLabelText(prompt);
        box.setInputMode(QInputDialog::TextInput);
        box.setTextValue(QString());
        frameAsBox(box);
        // The dialog sizes itself to its layout: the text box carries the width the title needs.
        if (auto* edit = box.findChild<QLineEdit*>())
            edit->setMinimumWidth(titleWidth(box) - 20);
        return box.exec() == QDialog::Accepted ? box.textValue() : QString();
    }

    NoticeId notice(const QString& text, const QString& title, Icon icon, std::function<void()> onDismissed) override
    {
        const NoticeId id = ++m_lastId;
        m_pending.push_back({id, text, title, icon, std::move(onDismissed)});
        if (!m_showing)
            showNext();
        return id;
    }

    void updateNotice(NoticeId id, const QString& text) override
    {
        if (m_shown && m_shownId == id)
            m_shown->setText(text);
        for (Pending& pending : m_pending) {
            if (pending.id == id)
                pending.text = text;
        }
    }

    void withdrawNotice(NoticeId id) override
    {
        std::erase_if(m_pending, [id](const Pending& pending) { return pending.id == id; });
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
        NoticeId id;
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
        box->setTextFormat(Qt::PlainText);
        box->setAttribute(Qt::WA_DeleteOnClose);
        // Modal to the whole program even when no window of it is active (open() would make it window-modal to
        // a parent it does not have then).
        box->setWindowModality(Qt::ApplicationModal);
        widenForTitle(*box);
        frameAsBox(*box);
        m_shown = box;
        m_shownId = next.id;
        auto done = next.onDismissed;
        QObject::connect(box, &QMessageBox::finished, box, [this, done]() {
            m_shownId = 0;
            if (done)
                done();
            showNext();
        });
        box->show();
    }

    std::deque<Pending> m_pending;
    bool m_showing = false;
    NoticeId m_lastId = 0;
    QPointer<QMessageBox> m_shown;
    NoticeId m_shownId = 0;
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
    // The described text first, then the file and the reason, so the owner knows what to mend.
    QString why = Database::openFailure();
    if (why.isEmpty())
        why = Database::refusal();
    dialogs().ok(QCoreApplication::translate("Dialogs", "Could not open database ...") +
                     (why.isEmpty() ? QString() : QStringLiteral("\n\n") + why),
                 QCoreApplication::translate("Dialogs", "Connection Failed"), Dialogs::Icon::Exclamation);
}

void showReadFailed(const QString& what, const QString& why)
{
    dialogs().ok(QCoreApplication::translate("Dialogs", "%1 could not be read: %2").arg(what, why),
                 QCoreApplication::translate("Dialogs", "Connection Failed"), Dialogs::Icon::Exclamation);
}
