#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace vc {

class ShellActions;

// "About": program name, maker line, the web link and the contact button.
class Tfm_about : public QDialog {
    Q_OBJECT
public:
    Tfm_about(ShellActions& shell, QWidget* parent = nullptr);

    // Set before each showing: what the window shows and where its links lead.
    void setProduct(const QString& programName, bool otherEdition, const QString& webPage);
    // Shows modally at the main window's left + 160, top + 100.
    void showFrom(QWidget* mainWindow);

    QLabel* lb_web() const { return web_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setLinkColour(const QColor& colour);

    static constexpr int LogoSize = 48;

    ShellActions& shell_;
    QLabel* logo_;
    QLabel* title_;
    QLabel* maker_;
    QLabel* web_;
    QPushButton* close_;
    bool linkFocused_ = false;
    QString webPage_;
    QString contactPage_;
};

} // namespace vc
