#include "server/shell/aboutwindow.h"

#include "core/store/database.h"
#include "server/shell/logo.h"

#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

QString databaseDescription()
{
    return Database::isOpen() ? QCoreApplication::translate("AboutWindow", "Database: %1")
                                    .arg(QDir::toNativeSeparators(gConn.databaseName()))
                              : QCoreApplication::translate("AboutWindow", "No database is open");
}

AboutWindow::AboutWindow(QWidget* parent) : FormWindow(parent)
{
    setWindowTitle(tr("About Qorvil Clock System"));

    auto* image = new QLabel(this);
    image->setObjectName(QStringLiteral("Image1"));
    image->setPixmap(qorvilLogo(96));
    image->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

    m_frame = new QGroupBox(this);
    m_frame->setObjectName(QStringLiteral("GroupBox1"));
    auto* name = new QLabel(tr("Qorvil Clock System"), m_frame);
    name->setObjectName(QStringLiteral("Label1"));
    name->setFont(QFont(QStringLiteral("Arial"), 22, QFont::Bold));
    auto* version = new QLabel(tr("Version %1").arg(QStringLiteral(QORVIL_VERSION)), m_frame);
    version->setObjectName(QStringLiteral("Label2"));
    auto* database = new QLabel(databaseDescription(), m_frame);
    database->setObjectName(QStringLiteral("DatabaseLabel"));
    database->setTextFormat(Qt::PlainText);
    database->setTextInteractionFlags(Qt::TextSelectableByMouse);
    database->setWordWrap(true);
    auto* texts = new QVBoxLayout(m_frame);
    texts->addWidget(name);
    texts->addWidget(version);
    texts->addWidget(database);
    texts->addStretch();

    m_close = new QPushButton(this);
    m_close->setObjectName(QStringLiteral("PushButton1"));
    m_close->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
    m_close->setIconSize(QSize(24, 24));
    m_close->setToolTip(tr("Close this window"));
    m_close->setAccessibleName(tr("Close this window"));
    connect(m_close, &QPushButton::clicked, this, &AboutWindow::closeWindow);

    // The window's pointer changes as the mouse passes over these two, and stays changed in between.
    switchPointerOver({m_close}, {m_frame});

    auto* top = new QHBoxLayout;
    top->addWidget(image);
    top->addWidget(m_frame, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(m_close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addStretch();
    layout->addLayout(bottom);
}
