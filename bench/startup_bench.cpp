// Start-up of the window as the program does it: the windows made in order, the first
// showing with skin, layout, product links and settings, until the window is ready; then the
// resident memory. Usage: bench_startup_bench [rounds=5]
#include "BenchSupport.h"
#include "app/Program.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

using vc::bench::SilentDialogs;

namespace {

class NoShell : public vc::ShellActions {
public:
    bool openFolder(const QString&) override { return true; }
    bool openUrl(const QString&) override { return true; }
    bool powerOff() override { return true; }
    bool notify(const QString&, const QString&, std::function<void()>) override { return true; }
};

} // namespace

int main(int argc, char** argv) {
    QElapsedTimer sinceStart;
    sinceStart.start();
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    QTemporaryDir config;
    qputenv("VIDEOCONVERTER_CONFIG_DIR", config.path().toLocal8Bit());
    const vc::ProgramInfo info = vc::ProgramInfo::fromArgv0(QStringLiteral("VideoConverter"),
                                                            QStringLiteral(VC_BENCH_PROGRAM_DIR));
    SilentDialogs dialogs;
    NoShell shell;

    std::vector<double> times;
    double firstRss = 0;
    for (int round = 0; round < rounds; ++round) {
        QElapsedTimer timer;
        timer.start();
        vc::Program program(info, dialogs, shell);
        QEventLoop ready;
        QObject::connect(&program.main(), &vc::Tfm_main::firstShowingDone, &ready,
                         &QEventLoop::quit);
        QTimer::singleShot(30000, &ready, &QEventLoop::quit);
        program.main().show();
        if (program.main().startupLog().isEmpty() ||
            program.main().startupLog().last() != QLatin1String("ready"))
            ready.exec();
        QApplication::processEvents();
        times.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
        if (round == 0) {
            firstRss = vc::bench::residentKiB();
            std::printf("first window ready %.1f ms after the program began\n",
                        static_cast<double>(sinceStart.nsecsElapsed()) / 1e6);
        }
        program.main().hide();
    }
    const double first = times.front();
    std::sort(times.begin(), times.end());
    std::printf("window start-up: %.1f ms (median of %d; the first took %.1f ms)\n",
                times[times.size() / 2], rounds, first);
    std::printf("resident memory with the window up: %.1f MiB\n", firstRss / 1024.0);
    return 0;
}
