// The windows in Spanish: the translation built into the programs, and no caption left in English.
#include "client/remotewindow.h"
#include "report/payrolllayouts.h"
#include "server/punch/clockwindow.h"
#include "server/shell/commands.h"
#include "server/shell/lockstate.h"
#include "tests/support/captions.h"
#include "tests/support/mainwindowfixture.h"
#include "widgets/childwindows.h"
#include "widgets/language.h"

#include <QHash>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QRegularExpression>
#include <QTest>

class TestLanguage : public QObject, MainWindowFixture
{
    Q_OBJECT

private:
    // The captions of the main window with the command's window open in it, in the language given.
    QList<Caption> serverCaptions(const QString& language, int command)
    {
        if (!Language::install(language))
            return {};
        if (!setUp())
            return {};
        LockState::set(false);
        if (command)
            window().executeCommand(command);
        // A window that did not open would pass unseen.
        QList<Caption> captions =
            command && window().area()->subWindowList().isEmpty() ? QList<Caption>() : captionsOf(&window());
        tearDown();
        return captions;
    }

    QList<Caption> clientCaptions(const QString& language)
    {
        Language::install(language);
        TempDatabase db(Database::Kind::Client);
        ScriptedDialogs dialogs;
        RemoteWindow remote(0);
        return captionsOf(&remote);
    }

private Q_SLOTS:
    void cleanup() { Language::install(QStringLiteral("en")); }

    // The caption and the message come from the .qm built into the program, and the toolkit's own texts
    // from the system's translations.
    void spanishComesFromTheBuiltTranslation()
    {
        QVERIFY(Language::install(QStringLiteral("es")));
        QCOMPARE(Language::current(), QStringLiteral("es"));
        TempDatabase db;
        ScriptedDialogs dialogs;
        ClockWindow clock;
        QCOMPARE(clock.windowTitle(), QStringLiteral("Sistema de Reloj Qorvil"));
        QVERIFY(clock.load());
        auto* id = clock.findChild<QLineEdit*>(QStringLiteral("Text1"));
        QVERIFY(id);
        QTest::keyClicks(id, QStringLiteral("nobody"));
        QTest::keyClick(id, Qt::Key_Return);
        QCOMPARE(dialogs.texts(), QStringList{QStringLiteral("No se encontró ningún registro con su ID")});
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "&Yes"), QStringLiteral("&Sí"));

        // A report's items are painted in the program's language; the report keeps them in English for exports.
        const Report::Layout page = Payroll::detailLayout(
            {{QStringLiteral("emp_id"), QStringLiteral("ID"), 0, 0, 500, false, QStringLiteral("IdBox")},
             {QStringLiteral("caption"), QStringLiteral("Item"), 500, 0, 1500, false, QStringLiteral("ItemBox")}});
        const Report::Control* item = page.control(QStringLiteral("ItemBox"));
        QVERIFY(item);
        for (const auto& [kept, painted] : {std::pair{"Week of 03/02/2026", "Semana del 03/02/2026"},
                                            {"Meal 30 min", "Comida 30 min"},
                                            {"Across midnight", "Pasada la medianoche"},
                                            {"Labor Day", "Labor Day"}})
            QCOMPARE(Report::controlText(*item, {{QStringLiteral("caption"), QString::fromUtf8(kept)}}),
                     QString::fromUtf8(painted));

        // A language without a translation leaves the program in English.
        QVERIFY(!Language::install(QStringLiteral("xx")));
        QCOMPARE(Language::current(), QStringLiteral("en"));
        QCOMPARE(ClockWindow().windowTitle(), QStringLiteral("Qorvil Clock System"));
    }

    // Each window built in English and in Spanish: a caption that stays the same must be a word that is the same
    // in both languages, or hold no words at all (times, dates, numbers).
    void noCaptionStaysEnglish_data()
    {
        QTest::addColumn<int>("command"); // 0: the main window alone; -1: the client
        QTest::newRow("main window") << 0;
        QTest::newRow("client") << -1;
        for (const Commands::Design& design : Commands::designs()) {
            switch (design.id) {
            case Commands::Exit:
            case Commands::Lock:
            case Commands::Help:
            case Commands::Manual:
            case Commands::Cascade:
            case Commands::Tile:
            case Commands::ArrangeIcons:
            case Commands::Toolbars:
            case Commands::StatusBar:
            case Commands::ShowHours:
            case Commands::Undo:
            case Commands::Cut:
            case Commands::Copy:
            case Commands::Paste:
                continue;
            default:
                QTest::newRow(qPrintable(design.toolTip)) << design.id;
            }
        }
    }

    void noCaptionStaysEnglish()
    {
        QFETCH(int, command);
        // Names, codes and words that Spanish writes the same way.
        static const QStringList sameInBoth = {
            QStringLiteral("ID"),     QStringLiteral("PDF"),        QStringLiteral("CSV"),   QStringLiteral("Manual"),
            QStringLiteral("Qorvil"), QStringLiteral("IP"),         QStringLiteral("Total"), QStringLiteral("h"),
            QStringLiteral("min"),    QStringLiteral("QuickBooks"), QStringLiteral("ADP"),   QStringLiteral("Paychex"),
            QStringLiteral("Gusto"),
        };
        static const QRegularExpression noWords(QStringLiteral("^[^A-Za-z]*$"));
        const QList<Caption> english =
            command < 0 ? clientCaptions(QStringLiteral("en")) : serverCaptions(QStringLiteral("en"), command);
        const QList<Caption> spanish =
            command < 0 ? clientCaptions(QStringLiteral("es")) : serverCaptions(QStringLiteral("es"), command);
        QVERIFY(!english.isEmpty());
        // Paired by place: the n-th text of the same kind on the same control.
        QHash<QString, QString> spanishAt;
        for (const Caption& caption : spanish)
            for (int n = 0;; ++n)
                if (const QString key = caption.where + QString::number(n); !spanishAt.contains(key)) {
                    spanishAt.insert(key, caption.text);
                    break;
                }
        QHash<QString, int> seen;
        QStringList left;
        for (const Caption& caption : english) {
            const QString key = caption.where + QString::number(seen[caption.where]++);
            const QString text = QString(caption.text).remove(QLatin1Char('&')).trimmed();
            if (spanishAt.value(key) == caption.text && !sameInBoth.contains(text) && !noWords.match(text).hasMatch())
                left << caption.where + QStringLiteral(": ") + caption.text;
        }
        QVERIFY2(left.isEmpty(), qPrintable(QStringLiteral("\n") + left.join(QLatin1Char('\n'))));
    }
};

QTEST_MAIN(TestLanguage)
#include "test_language.moc"
