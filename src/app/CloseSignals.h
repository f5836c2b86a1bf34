#pragma once

#include <QObject>
#include <functional>
#include <map>

class QSocketNotifier;

namespace vc {

// SIGTERM, SIGHUP and SIGINT reach the event loop as a call of `onSignal`, so a desktop
// session that ends or a kill from a terminal closes the window the orderly way; one that
// was ignored at start stays ignored. The default handling returns when the object goes.
class CloseSignals : public QObject {
public:
    explicit CloseSignals(std::function<void()> onSignal, QObject* parent = nullptr);
    ~CloseSignals() override;

private:
    std::function<void()> onSignal_;
    QSocketNotifier* notifier_ = nullptr;
    std::map<int, bool> caught_;
};

} // namespace vc
