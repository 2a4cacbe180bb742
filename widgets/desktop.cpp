#include "widgets/desktop.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScreen>
#include <QStyleFactory>
#include <QTimer>
#include <QUrl>
#include <QWidget>

namespace Desktop {

QString besideProgram(const QString& fileName)
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(fileName);
}

void allowHelpWithoutDisplay(int argc, char** argv)
{
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        return;
    for (int i = 1; i < argc; ++i) {
        const QByteArray argument(argv[i]);
        if (argument == "--") // what follows is not an option
            return;
        if (argument == "-h" || argument == "--help" || argument == "-?" || argument == "--help-all" ||
            argument == "-v" || argument == "--version") {
            qputenv("QT_QPA_PLATFORM", "offscreen");
            return;
        }
    }
}

bool openDocument(const QString& path)
{
    if (!QFileInfo::exists(path))
        return false;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

namespace {

// Moves a frame back inside the work area when the window manager put it partly outside; it watches only
// until the frame first settled, so a window the user drags later goes where the user puts it.
class OnScreen : public QObject
{
public:
    explicit OnScreen(QWidget* window) : QObject(window), m_window(window)
    {
        window->installEventFilter(this);
        QTimer::singleShot(2000, this, [this] { deleteLater(); });
    }

    static void fit(QWidget* window)
    {
        if (window->isMaximized() || window->isFullScreen() || !window->screen())
            return;
        const QRect room = window->screen()->availableGeometry();
        const QRect frame = window->frameGeometry();
        const int x = std::clamp(frame.x(), room.left(), std::max(room.left(), room.right() + 1 - frame.width()));
        const int y = std::clamp(frame.y(), room.top(), std::max(room.top(), room.bottom() + 1 - frame.height()));
        if (QPoint(x, y) != frame.topLeft())
            window->move(x, y);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == m_window && (event->type() == QEvent::Move || event->type() == QEvent::Show))
            QTimer::singleShot(0, m_window, [window = m_window] { fit(window); });
        return false;
    }

private:
    QWidget* m_window;
};

} // namespace

void showOnScreen(QWidget* window)
{
    if (QScreen* screen = window->screen()) {
        const QRect room = screen->availableGeometry();
        QSize size = window->size();
        if (!window->testAttribute(Qt::WA_Resized))
            size = window->sizeHint().expandedTo(window->minimumSizeHint());
        // The frame the window manager adds is not known before it is shown: room for a title bar.
        const QSize framed = size + QSize(8, 36);
        window->move(room.x() + std::max(0, (room.width() - framed.width()) / 2),
                     room.y() + std::max(0, (room.height() - framed.height()) / 2));
    }
    new OnScreen(window);
    window->show();
}

void applySkin(QApplication& app)
{
    if (QStyle* fusion = QStyleFactory::create(QStringLiteral("Fusion")))
        app.setStyle(fusion);
    QFile sheet(besideProgram(QStringLiteral("qorvil.qss")));
    if (sheet.open(QIODevice::ReadOnly | QIODevice::Text))
        app.setStyleSheet(QString::fromUtf8(sheet.readAll()));
}

} // namespace Desktop
