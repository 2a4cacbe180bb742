#include "widgets/datebox.h"

#include "core/valueforms.h"
#include "widgets/language.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QTimer>

namespace {

bool isDateCharacter(const QString& text)
{
    return text.size() == 1 &&
           (text.at(0).isDigit() || text.at(0) == QLatin1Char('/') || text.at(0) == QLatin1Char('-'));
}

} // namespace

DateBox::DateBox(QWidget* parent) : QDateEdit(parent)
{
    setDisplayFormat(ValueForms::kDateForm);
    setCalendarPopup(true);
    // The calendar names months and days in the windows' language; the box keeps the one date form.
    if (QCalendarWidget* calendar = calendarWidget())
        calendar->setLocale(Language::namesLocale());
    setToolTip(tr("Type a date as MM/DD/YYYY or YYYY-MM-DD, or press F4 for a calendar"));
    connect(this, &QDateEdit::editingFinished, this, [this] { m_typing = false; });
}

void DateBox::showCalendar()
{
    // The toolkit opens its calendar only for a press on the arrow: press there.
    const QPoint arrow(width() - 6, height() / 2);
    QMouseEvent press(QEvent::MouseButtonPress, arrow, mapToGlobal(arrow), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(this, &press);
}

void DateBox::focusInEvent(QFocusEvent* event)
{
    QDateEdit::focusInEvent(event);
    // The whole date selected, so what is typed replaces it; after a click too, once the click placed its cursor.
    if (event->reason() == Qt::MouseFocusReason)
        QTimer::singleShot(0, this, [this] { lineEdit()->selectAll(); });
    else
        lineEdit()->selectAll();
}

void DateBox::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_F4 || (event->key() == Qt::Key_Down && (event->modifiers() & Qt::AltModifier))) {
        showCalendar();
        return;
    }
    const bool editingKey = event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete;
    const bool plain = !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
    if (plain && isDateCharacter(event->text()) && lineEdit()->selectedText() == lineEdit()->text())
        m_typing = true;
    if (m_typing && plain && (isDateCharacter(event->text()) || editingKey)) {
        // Straight into the text, past the part-by-part editing of the shown date.
        QAbstractSpinBox::keyPressEvent(event); // NOLINT(bugprone-parent-virtual-call): skipping it is the point
        return;
    }
    QDateEdit::keyPressEvent(event);
}

QValidator::State DateBox::validate(QString& input, int& pos) const
{
    if (ValueForms::readDate(input))
        return QValidator::Acceptable;
    if (m_typing) {
        static const QRegularExpression partial(QStringLiteral("^[0-9/-]{0,10}$"));
        return partial.match(input).hasMatch() ? QValidator::Intermediate : QValidator::Invalid;
    }
    return QDateEdit::validate(input, pos);
}

QDateTime DateBox::dateTimeFromText(const QString& text) const
{
    if (const std::optional<QDate> date = ValueForms::readDate(text))
        return QDateTime(*date, QTime(0, 0));
    return QDateEdit::dateTimeFromText(text);
}

void DateBox::fixup(QString& input) const
{
    // A date typed only in part is dropped: the box shows its date again.
    if (!ValueForms::readDate(input))
        input = textFromDateTime(dateTime());
}
