#include "core/admin/adminpassword.h"
#include "server/punch/clockwindow.h"
#include "server/serverstate.h"
#include "server/shell/aboutwindow.h"
#include "server/shell/adminpasswindow.h"
#include "server/shell/commands.h"
#include "server/shell/lockstate.h"
#include "server/shell/loginwindow.h"
#include "server/shell/mainwindow.h"
#include "tests/support/mainwindowfixture.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/tempdatabase.h"
#include "widgets/childwindows.h"
#include "widgets/formwindow.h"

#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <memory>

using Box = ScriptedDialogs::Box;
using Icon = Dialogs::Icon;

class TestLogin : public QObject, MainWindowFixture
{
    Q_OBJECT

private:
    QString storedPassword() { return m_db->scalar(QStringLiteral("select password from admin")).toString(); }

    FormWindow* openLogin()
    {
        m_window->executeCommand(Commands::LogIn);
        return ChildWindows::find(QStringLiteral("LogIn"));
    }

    FormWindow* openPasswordWindow()
    {
        LockState::set(false);
        m_window->executeCommand(Commands::ChangeAdminPassword);
        return ChildWindows::find(QStringLiteral("AdminPass"));
    }

    static QLineEdit* field(FormWindow* window, const char* name)
    {
        return window->findChild<QLineEdit*>(QLatin1String(name));
    }
    static void press(FormWindow* window, const char* name)
    {
        QTest::mouseClick(window->findChild<QPushButton*>(QLatin1String(name)), Qt::LeftButton);
    }

    void checkBox(const QString& text, const QString& title, Icon icon)
    {
        QVERIFY(!m_dialogs->boxes.isEmpty());
        const Box box = m_dialogs->last();
        QCOMPARE(box.text, text);
        QCOMPARE(box.title, title);
        QCOMPARE(box.icon, icon);
        QCOMPARE(box.buttons, Dialogs::Buttons::Ok);
    }

private Q_SLOTS:
    void init() { QVERIFY(setUp()); }
    void cleanup() { tearDown(); }

    // ---- the stored password ----

    void hashedPasswordsCompareExactly_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("same") << "S3cret pass" << true;
        QTest::newRow("other case") << "s3cret pass" << false;
        QTest::newRow("trailing space") << "S3cret pass " << false;
        QTest::newRow("leading space") << " S3cret pass" << false;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("prefix") << "S3cret" << false;
    }

    void hashedPasswordsCompareExactly()
    {
        QFETCH(QString, typed);
        QFETCH(bool, accepted);
        const QString stored = AdminPassword::hash(QStringLiteral("S3cret pass"));
        QVERIFY(AdminPassword::isHash(stored));
        QVERIFY(!stored.contains(QStringLiteral("S3cret")));
        QCOMPARE(AdminPassword::matches(stored, typed), accepted);
        // Plain text (the initial password, or one reset by hand) follows the same rule.
        QCOMPARE(AdminPassword::matches(QStringLiteral("S3cret pass"), typed), accepted);
    }

    void eachHashHasItsOwnSalt()
    {
        const QString first = AdminPassword::hash(QStringLiteral("same"));
        const QString second = AdminPassword::hash(QStringLiteral("same"));
        QVERIFY(first != second);
        QVERIFY(AdminPassword::matches(first, QStringLiteral("same")));
        QVERIFY(AdminPassword::matches(second, QStringLiteral("same")));
    }

    void nullOrDamagedStoredValuesRefuseEverything_data()
    {
        QTest::addColumn<QVariant>("stored");
        QTest::newRow("null") << QVariant();
        QTest::newRow("prefix only") << QVariant(QStringLiteral("pbkdf2-sha256$"));
        QTest::newRow("missing key") << QVariant(QStringLiteral("pbkdf2-sha256$1000$c2FsdA=="));
        QTest::newRow("bad count") << QVariant(QStringLiteral("pbkdf2-sha256$x$c2FsdA==$a2V5"));
        QTest::newRow("empty salt") << QVariant(QStringLiteral("pbkdf2-sha256$1000$$a2V5"));
    }

    void nullOrDamagedStoredValuesRefuseEverything()
    {
        QFETCH(QVariant, stored);
        for (const QString& typed : {QString(), QStringLiteral(""), QStringLiteral("admin"), stored.toString()})
            QVERIFY2(!AdminPassword::matches(stored, typed), qPrintable(typed));
    }

    // ---- login window ----

    void loginComparesExactly_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("right") << "admin" << true;
        QTest::newRow("other case") << "Admin" << false;
        QTest::newRow("all capitals") << "ADMIN" << false;
        QTest::newRow("trailing space") << "admin " << false;
        QTest::newRow("empty") << "" << false;
    }

    void loginComparesExactly()
    {
        QFETCH(QString, typed);
        QFETCH(bool, accepted);
        QPointer<FormWindow> login = openLogin();
        QTest::keyClicks(field(login, "Text1"), typed);
        press(login, "PushButton1");
        if (accepted) {
            checkBox("Log-in Successful", "Administrator Priviledges are Opened", Icon::Information);
            QVERIFY(!gLocked);
            QTRY_VERIFY(!login);
        } else {
            checkBox("Incorrect Password", "Access Denied", Icon::Exclamation);
            QVERIFY(gLocked);
            QVERIFY(login);
            QCOMPARE(field(login, "Text1")->text(), typed);
            // Back in the field with the refused text selected: what is typed next replaces it.
            QCOMPARE(QApplication::focusWidget(), field(login, "Text1"));
            QCOMPARE(field(login, "Text1")->selectedText(), typed);
            QTest::keyClicks(QApplication::focusWidget(), "admin");
            QCOMPARE(field(login, "Text1")->text(), QStringLiteral("admin"));
        }
        QCOMPARE(m_dialogs->boxes.size(), 1);
    }

    void loginWhileUnlockedSucceedsAgain()
    {
        for (int round = 0; round < 2; ++round) {
            QPointer<FormWindow> login = openLogin();
            QTest::keyClicks(field(login, "Text1"), "admin");
            press(login, "PushButton1");
            QCOMPARE(m_dialogs->last().text, QStringLiteral("Log-in Successful"));
            QVERIFY(!gLocked);
            QTRY_VERIFY(!login);
        }
        QCOMPARE(m_dialogs->boxes.size(), 2);
    }

    void enterMovesToOkWithoutLoggingIn()
    {
        FormWindow* login = openLogin();
        QCOMPARE(QApplication::focusWidget(), field(login, "Text1"));
        QCOMPARE(field(login, "Text1")->echoMode(), QLineEdit::Password);
        QTest::keyClicks(field(login, "Text1"), "admin");
        QTest::keyClick(field(login, "Text1"), Qt::Key_Return);
        QVERIFY(m_dialogs->boxes.isEmpty());
        QVERIFY(gLocked);
        QCOMPARE(QApplication::focusWidget(), login->findChild<QPushButton*>("PushButton1"));
        // Enter on the focused button is the deliberate second step.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(m_dialogs->last().text, QStringLiteral("Log-in Successful"));
    }

    void cancelLeavesTheLock()
    {
        QPointer<FormWindow> login = openLogin();
        QTest::keyClicks(field(login, "Text1"), "admin");
        press(login, "PushButton2");
        QTRY_VERIFY(!login);
        QVERIFY(gLocked);
        QVERIFY(m_dialogs->boxes.isEmpty());
    }

    // No usable stored password: a Null one, or none at all (an emptied table stays empty when the file is
    // opened again, at the next start).
    void missingPasswordRefusesEveryLogin_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<int>("rows");
        QTest::newRow("Null password") << "update admin set password = null" << 1;
        QTest::newRow("no admin row") << "delete from admin" << 0;
    }

    void missingPasswordRefusesEveryLogin()
    {
        QFETCH(QString, sql);
        QFETCH(int, rows);
        m_db->exec(sql);
        Database::close();
        QVERIFY(Database::open(Database::Kind::Server, m_db->path()));
        QCOMPARE(m_db->scalar(QStringLiteral("select count(*) from admin")).toInt(), rows);
        for (const QString& typed : {QString(), QStringLiteral("admin")}) {
            FormWindow* login = openLogin();
            QVERIFY(login);
            field(login, "Text1")->setText(typed);
            press(login, "PushButton1");
            QCOMPARE(m_dialogs->last().text, QStringLiteral("Incorrect Password"));
            QVERIFY(gLocked);
        }
    }

    // ---- password window ----

    void passwordChecksRunInOrder_data()
    {
        QTest::addColumn<QString>("current");
        QTest::addColumn<QString>("fresh");
        QTest::addColumn<QString>("confirm");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("title");
        const QString empty = "Some Fields are Empty";
        const QString emptyTitle = "Incomplete Information";
        const QString mismatch = "New Password Did Not Match";
        const QString mismatchTitle = "Password Mismatch";
        const QString wrong = "Incorrect Admin Password";
        const QString wrongTitle = "Password Incorrect! No Changes Have Been Made";
        QTest::newRow("all empty") << ""
                                   << ""
                                   << "" << empty << emptyTitle;
        QTest::newRow("current empty") << ""
                                       << "n"
                                       << "n" << empty << emptyTitle;
        QTest::newRow("confirmation empty") << "admin"
                                            << "n"
                                            << "" << empty << emptyTitle;
        QTest::newRow("new empty, wrong current") << "x"
                                                  << ""
                                                  << "n" << empty << emptyTitle;
        QTest::newRow("differ, current right") << "admin"
                                               << "one"
                                               << "two" << mismatch << mismatchTitle;
        QTest::newRow("differ, current wrong") << "wrong"
                                               << "one"
                                               << "two" << mismatch << mismatchTitle;
        QTest::newRow("differ in case") << "admin"
                                        << "new"
                                        << "New" << mismatch << mismatchTitle;
        QTest::newRow("current wrong") << "wrong"
                                       << "new"
                                       << "new" << wrong << wrongTitle;
        QTest::newRow("current in other case") << "ADMIN"
                                               << "new"
                                               << "new" << wrong << wrongTitle;
    }

    void passwordChecksRunInOrder()
    {
        QFETCH(QString, current);
        QFETCH(QString, fresh);
        QFETCH(QString, confirm);
        QFETCH(QString, text);
        QFETCH(QString, title);
        FormWindow* pass = openPasswordWindow();
        QTest::keyClicks(field(pass, "Text1"), current);
        QTest::keyClicks(field(pass, "Text2"), fresh);
        QTest::keyClicks(field(pass, "Text3"), confirm);
        press(pass, "PushButton1");
        QCOMPARE(m_dialogs->boxes.size(), 1);
        checkBox(text, title, Icon::Exclamation);
        // Refused: nothing written, the window stays with the fields as typed.
        QCOMPARE(storedPassword(), QStringLiteral("admin"));
        QCOMPARE(ChildWindows::find(QStringLiteral("AdminPass")), pass);
        QCOMPARE(field(pass, "Text1")->text(), current);
        QCOMPARE(field(pass, "Text2")->text(), fresh);
        QCOMPARE(field(pass, "Text3")->text(), confirm);
    }

    void changedPasswordIsStoredAsAHashAndCountsAtTheNextLogin()
    {
        FormWindow* loginBefore = openLogin(); // loaded with the old password

        QPointer<FormWindow> pass = openPasswordWindow();
        QTest::keyClicks(field(pass, "Text1"), "admin");
        QTest::keyClicks(field(pass, "Text2"), "Tr0ub4dor");
        QTest::keyClicks(field(pass, "Text3"), "Tr0ub4dor");
        press(pass, "PushButton1");
        checkBox("Admin Password Updated", "Password Update Successful", Icon::Information);
        QTRY_VERIFY(!pass);
        QVERIFY(!gLocked); // a password change leaves the lock alone

        const QString stored = storedPassword();
        QVERIFY(stored != QStringLiteral("Tr0ub4dor"));
        QVERIFY(!stored.contains(QStringLiteral("Tr0ub4dor")));
        QVERIFY(AdminPassword::matches(stored, QStringLiteral("Tr0ub4dor")));

        // The login window that was already open still holds the password it read.
        LockState::set(true);
        QCOMPARE(ChildWindows::find(QStringLiteral("LogIn")), loginBefore);
        loginBefore->closeWindow();
        QTRY_VERIFY(!ChildWindows::find(QStringLiteral("LogIn")));

        for (const auto& [typed, accepted] :
             {std::pair{"admin", false}, std::pair{"tr0ub4dor", false}, std::pair{"Tr0ub4dor", true}}) {
            FormWindow* login = openLogin();
            field(login, "Text1")->setText(QString::fromLatin1(typed));
            press(login, "PushButton1");
            QCOMPARE(m_dialogs->last().text,
                     accepted ? QStringLiteral("Log-in Successful") : QStringLiteral("Incorrect Password"));
            QCOMPARE(gLocked, !accepted);
        }

        // A second change starts from the hash.
        QTRY_VERIFY(!ChildWindows::find(QStringLiteral("LogIn")));
        pass = openPasswordWindow();
        QTest::keyClicks(field(pass, "Text1"), "Tr0ub4dor");
        QTest::keyClicks(field(pass, "Text2"), "third");
        QTest::keyClicks(field(pass, "Text3"), "third");
        press(pass, "PushButton1");
        QCOMPARE(m_dialogs->last().text, QStringLiteral("Admin Password Updated"));
        QVERIFY(AdminPassword::matches(storedPassword(), QStringLiteral("third")));
    }

    void enterWalksDownThePasswordFields()
    {
        FormWindow* pass = openPasswordWindow();
        const QList<QWidget*> order = {field(pass, "Text2"), field(pass, "Text3"),
                                       pass->findChild<QPushButton*>("PushButton1")};
        QCOMPARE(QApplication::focusWidget(), field(pass, "Text1"));
        for (const char* name : {"Text1", "Text2", "Text3"})
            QCOMPARE(field(pass, name)->echoMode(), QLineEdit::Password);
        QTest::keyClicks(field(pass, "Text1"), "admin");
        for (QWidget* next : order) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            QCOMPARE(QApplication::focusWidget(), next);
            if (auto* edit = qobject_cast<QLineEdit*>(next))
                QTest::keyClicks(edit, "n3w");
        }
        QVERIFY(m_dialogs->boxes.isEmpty());
        QCOMPARE(storedPassword(), QStringLiteral("admin"));
    }

    void passwordFieldsEmptyOnEveryReturn()
    {
        FormWindow* pass = openPasswordWindow();
        for (const char* name : {"Text1", "Text2", "Text3"})
            QTest::keyClicks(field(pass, name), "typed");
        m_window->executeCommand(Commands::Clock); // another window takes the focus
        QVERIFY(ChildWindows::find(QStringLiteral("Clock")));
        QVERIFY(m_window->area()->activeSubWindow()->widget() != pass);

        QCOMPARE(ChildWindows::open<AdminPassWindow>(QStringLiteral("AdminPass")), pass);
        for (const char* name : {"Text1", "Text2", "Text3"})
            QVERIFY2(field(pass, name)->text().isEmpty(), name);
        QCOMPARE(QApplication::focusWidget(), field(pass, "Text1"));
    }

    void refusedAttemptKeepsTheFieldsWhenTheBoxCloses_data()
    {
        QTest::addColumn<QString>("current");
        QTest::newRow("new password did not match") << "admin";
        QTest::newRow("incorrect admin password") << "wrong";
    }

    void refusedAttemptKeepsTheFieldsWhenTheBoxCloses()
    {
        // Under a window manager the box takes the activation from the main window and gives it back when it
        // closes: the main window is activated again, which is no return to this window.
        QFETCH(QString, current);
        FormWindow* pass = openPasswordWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        QTest::keyClicks(field(pass, "Text1"), current);
        QTest::keyClicks(field(pass, "Text2"), "one");
        QTest::keyClicks(field(pass, "Text3"), current == "admin" ? "two" : "one");
        bool boxTookOver = false;
        m_dialogs->onShow = [this, &boxTookOver](const Box&) {
            QWidget box;
            box.show();
            boxTookOver = QTest::qWaitForWindowActive(&box) && !m_window->isActiveWindow();
            box.close();
            m_window->activateWindow();
        };
        press(pass, "PushButton1");
        QVERIFY(boxTookOver);
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        QCoreApplication::processEvents();
        QCOMPARE(field(pass, "Text1")->text(), current);
        QCOMPARE(field(pass, "Text2")->text(), QStringLiteral("one"));
        QCOMPARE(field(pass, "Text3")->text(), current == "admin" ? QStringLiteral("two") : QStringLiteral("one"));
    }

    void passwordWindowNeedsTheDatabase()
    {
        LockState::set(false);
        Database::close();
        m_window->executeCommand(Commands::ChangeAdminPassword);
        checkBox("Could not open database ...", "Connection Failed", Icon::Exclamation);
        QVERIFY(!ChildWindows::find(QStringLiteral("AdminPass")));
    }

    // ---- about window ----

    void aboutWindowShowsNameVersionAndLogo()
    {
        m_window->executeCommand(Commands::About);
        FormWindow* about = ChildWindows::find(QStringLiteral("About"));
        QVERIFY(about);
        QCOMPARE(about->windowTitle(), QStringLiteral("About Qorvil Clock System"));
        auto* name = about->findChild<QLabel*>("Label1");
        QCOMPARE(name->text(), QStringLiteral("Qorvil Clock System"));
        QCOMPARE(name->font().family(), QStringLiteral("Arial"));
        QVERIFY(name->font().pointSize() >= 16);
        QCOMPARE(about->findChild<QLabel*>("Label2")->text(), QStringLiteral("Version 1.0"));
        // Which database this server works on, there and in the status bar's tooltip.
        QCOMPARE(about->findChild<QLabel*>("DatabaseLabel")->text(), "Database: " + m_db->path());
        QVERIFY(m_window->statusBar()->toolTip().contains(m_db->path()));
        QVERIFY(!about->findChild<QLabel*>("Image1")->pixmap().isNull());
        auto* close = about->findChild<QPushButton*>("PushButton1");
        QVERIFY(close->text().isEmpty());
        QVERIFY(!close->icon().isNull());
        QCOMPARE(close->toolTip(), QStringLiteral("Close this window"));

        m_window->executeCommand(Commands::About);
        QCOMPARE(m_window->area()->subWindowList().size(), 1);
        QCOMPARE(ChildWindows::find(QStringLiteral("About")), about);

        QPointer<FormWindow> gone = about;
        QTest::mouseClick(close, Qt::LeftButton);
        QTRY_VERIFY(!gone);
    }

    void aboutPointerStaysUntilTheFrame()
    {
        m_window->executeCommand(Commands::About);
        FormWindow* about = ChildWindows::find(QStringLiteral("About"));
        auto* close = about->findChild<QPushButton*>("PushButton1");
        auto* frame = about->findChild<QGroupBox*>("GroupBox1");
        QCOMPARE(about->cursor().shape(), Qt::ArrowCursor);

        QEvent enter(QEvent::Enter);
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(close, &enter);
        QCOMPARE(about->cursor().shape(), Qt::BitmapCursor);
        QCoreApplication::sendEvent(close, &leave);
        QCoreApplication::sendEvent(about, &enter);
        QCOMPARE(about->cursor().shape(), Qt::BitmapCursor);
        QCoreApplication::sendEvent(frame, &enter);
        QCOMPARE(about->cursor().shape(), Qt::ArrowCursor);
    }
};

QTEST_MAIN(TestLogin)
#include "test_login.moc"
