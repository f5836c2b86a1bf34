#include "app/AboutWindow.h"

#include "app/Edition.h"
#include "shell/Dialogs.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace vc {

Tfm_about::Tfm_about(ShellActions& shell, QWidget* parent) : QDialog(parent), shell_(shell) {
    setObjectName(QStringLiteral("Tfm_about"));
    setWindowTitle(QStringLiteral("About"));
    setModal(true);
    title_ = new QLabel(this);
    QFont big = title_->font();
    big.setPointSize(big.pointSize() + 6);
    big.setBold(true);
    title_->setFont(big);
    maker_ = new QLabel(this);
    maker_->setWordWrap(true);
    web_ = new QLabel(QStringLiteral("Visit our web"), this);
    web_->setCursor(Qt::PointingHandCursor);
    web_->installEventFilter(this);
    setLinkColour(Qt::blue);

    auto* contact = new QPushButton(QStringLiteral("Contact us "), this);
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    connect(contact, &QPushButton::clicked, this, [this] { shell_.openUrl(contactPage_); });
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(web_);
    buttons->addStretch();
    buttons->addWidget(contact);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 20, 24, 16);
    layout->setSpacing(12);
    layout->addWidget(title_);
    layout->addWidget(maker_);
    layout->addStretch();
    layout->addLayout(buttons);
    setFixedSize(420, 200);
}

void Tfm_about::setProduct(const QString& programName, bool otherEdition, const QString& webPage) {
    const MakerInfo maker = makerInfo(otherEdition);
    title_->setText(programName);
    maker_->setText(maker.line);
    contactPage_ = maker.contactPage;
    webPage_ = webPage;
}

void Tfm_about::showFrom(QWidget* mainWindow) {
    move(mainWindow->x() + 160, mainWindow->y() + 100);
    exec();
}

void Tfm_about::setLinkColour(const QColor& colour) {
    web_->setStyleSheet(
        QStringLiteral("color: %1; text-decoration: underline;").arg(colour.name()));
}

bool Tfm_about::eventFilter(QObject* watched, QEvent* event) {
    if (watched == web_) {
        if (event->type() == QEvent::Enter)
            setLinkColour(Qt::red);
        else if (event->type() == QEvent::Leave)
            setLinkColour(Qt::blue);
        else if (event->type() == QEvent::MouseButtonRelease)
            shell_.openUrl(webPage_);
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace vc
