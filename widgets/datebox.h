#pragma once

#include <QDateEdit>

// A date picker that also takes a whole date typed over it, in any form the program reads (MM/DD/YYYY,
// M/D/YYYY, YYYY-MM-DD), wherever the cursor was; the toolkit's own box takes typing only into a selected
// part. F4 or Alt+Down opens the calendar. Shows dates as MM/DD/YYYY.
class DateBox : public QDateEdit
{
    Q_OBJECT
public:
    explicit DateBox(QWidget* parent = nullptr);

    // Opens the calendar under the box.
    void showCalendar();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    QValidator::State validate(QString& input, int& pos) const override;
    QDateTime dateTimeFromText(const QString& text) const override;
    void fixup(QString& input) const override;

private:
    // Typing a date of its own, rather than changing one part of the shown one.
    bool m_typing = false;
};
