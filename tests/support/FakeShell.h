#pragma once

#include "shell/Dialogs.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <deque>
#include <functional>

namespace vc::test {

// Records every box and answers from a script; an unscripted question answers No and an
// unscripted chooser is cancelled.
class FakeDialogs : public Dialogs {
public:
    struct Shown {
        QString kind;
        QString title;
        QString text;
    };
    QList<Shown> shown;
    std::deque<bool> answers;
    std::deque<QStringList> files;
    std::deque<QString> folders;
    std::deque<QString> discs;
    QStringList filters; // of every openFiles, in order

    void information(QWidget*, const QString& title, const QString& text) override {
        shown.push_back({QStringLiteral("information"), title, text});
    }
    void warning(QWidget*, const QString& title, const QString& text) override {
        shown.push_back({QStringLiteral("warning"), title, text});
    }
    bool question(QWidget*, const QString& title, const QString& text) override {
        shown.push_back({QStringLiteral("question"), title, text});
        return take(answers, false);
    }
    QStringList openFiles(QWidget*, const QString& title, const QString&,
                          const QString& filter) override {
        shown.push_back({QStringLiteral("openFiles"), title, {}});
        filters << filter;
        return take(files, QStringList());
    }
    QString chooseFolder(QWidget*, const QString& title, const QString&) override {
        shown.push_back({QStringLiteral("chooseFolder"), title, {}});
        return take(folders, QString());
    }
    QString chooseDisc(QWidget*, const QString& title, const QString&) override {
        shown.push_back({QStringLiteral("chooseDisc"), title, {}});
        return take(discs, QString());
    }
    QStringList texts() const {
        QStringList out;
        for (const Shown& s : shown)
            out << s.text;
        return out;
    }

private:
    template <typename T> static T take(std::deque<T>& queue, T fallback) {
        if (queue.empty())
            return fallback;
        T value = queue.front();
        queue.pop_front();
        return value;
    }
};

class FakeShellActions : public ShellActions {
public:
    QStringList folders;
    QStringList urls;
    int powerOffs = 0;
    bool openFolder(const QString& path) override {
        folders << path;
        return true;
    }
    bool openUrl(const QString& address) override {
        if (!isOpenableAddress(address))
            return false;
        urls << address;
        return true;
    }
    bool powerOff() override {
        ++powerOffs;
        return true;
    }
    struct Notification {
        QString title;
        QString text;
        std::function<void()> clicked;
    };
    QList<Notification> notifications;
    bool notify(const QString& title, const QString& text, std::function<void()> clicked) override {
        notifications.push_back({title, text, std::move(clicked)});
        return true;
    }
};

} // namespace vc::test
