#include "app/AboutWindow.h"

#include "app/Edition.h"
#include "shell/Dialogs.h"
#include "shell/SkinControls.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace vc {

Tfm_about::Tfm_about(ShellActions& shell, QWidget* parent) : QDialog(parent), shell_(shell) {
    setObjectName(QStringLiteral("Tfm_about"));
    setWindowTitle(QStringLiteral("About"));
    setModal(true);
    logo_ = new QLabel(this);
    logo_->setObjectName(QStringLiteral("img_logo"));
    title_ = new QLabel(this);
    title_->setObjectName(QStringLiteral("lb_title"));
    maker_ = new QLabel(this);
    maker_->setObjectName(QStringLiteral("lb_maker"));
    web_ = new QLabel(QStringLiteral("Visit our web"), this);
    web_->setObjectName(QStringLiteral("lb_web"));
    web_->setCursor(Qt::PointingHandCursor);
    // A link the keyboard reaches as well: it lights up when focused and opens with Return.
    web_->setFocusPolicy(Qt::StrongFocus);
    web_->setAccessibleDescription(QStringLiteral("Opens the product's web page."));
    web_->installEventFilter(this);
    setLinkColour(Qt::blue);

    auto* contact = new QPushButton(QStringLiteral("Contact us "), this);
    close_ = new QPushButton(QStringLiteral("Close"), this);
    close_->setDefault(true);
    connect(contact, &QPushButton::clicked, this, [this] { shell_.openUrl(contactPage_); });
    connect(close_, &QPushButton::clicked, this, &QDialog::accept);

    auto* text = new QVBoxLayout;
    text->setSpacing(4);
    text->addWidget(title_);
    text->addWidget(maker_);
    text->addSpacing(6);
    text->addWidget(web_, 0, Qt::AlignLeft);
    auto* head = new QHBoxLayout;
    head->setSpacing(16);
    head->addWidget(logo_, 0, Qt::AlignTop);
    head->addLayout(text, 1);
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(8);
    buttons->addStretch();
    buttons->addWidget(contact);
    buttons->addWidget(close_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 22, 20, 16);
    layout->setSpacing(20);
    layout->addLayout(head);
    layout->addLayout(buttons);
    // The window is as large as what it shows, whatever the texts are.
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void Tfm_about::setProduct(const QString& programName, bool otherEdition, const QString& webPage) {
    const MakerInfo maker = makerInfo(otherEdition);
    title_->setText(programName);
    maker_->setText(maker.line);
    contactPage_ = maker.contactPage;
    webPage_ = webPage;
}

void Tfm_about::showFrom(QWidget* mainWindow) {
    const QIcon logo = windowIcon();
    logo_->setPixmap(logo.pixmap(QSize(LogoSize, LogoSize), devicePixelRatioF()));
    logo_->setVisible(!logo.isNull());
    move(mainWindow->x() + 160, mainWindow->y() + 100);
    // Return closes the window, as its default button says, until the user moves on.
    close_->setFocus();
    exec();
}

void Tfm_about::setLinkColour(const QColor& colour) {
    web_->setStyleSheet(
        QStringLiteral("color: %1; text-decoration: underline;").arg(colour.name()));
}

bool Tfm_about::eventFilter(QObject* watched, QEvent* event) {
    if (watched == web_) {
        switch (event->type()) {
        case QEvent::Enter:
            setLinkColour(Qt::red);
            break;
        case QEvent::FocusIn:
            linkFocused_ = focusMarkShown(static_cast<QFocusEvent*>(event)->reason(), false);
            setLinkColour(linkFocused_ || web_->underMouse() ? Qt::red : Qt::blue);
            break;
        case QEvent::FocusOut:
            linkFocused_ = false;
            setLinkColour(web_->underMouse() ? Qt::red : Qt::blue);
            break;
        case QEvent::Leave:
            setLinkColour(linkFocused_ ? Qt::red : Qt::blue);
            break;
        case QEvent::MouseButtonRelease:
            shell_.openUrl(webPage_);
            break;
        case QEvent::KeyPress:
            switch (static_cast<QKeyEvent*>(event)->key()) {
            case Qt::Key_Return:
            case Qt::Key_Enter:
            case Qt::Key_Space:
                shell_.openUrl(webPage_);
                return true;
            default:
                break;
            }
            break;
        default:
            break;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace vc
