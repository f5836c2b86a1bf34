#pragma once

#include "app/AboutWindow.h"
#include "app/MainWindow.h"
#include "media/PropertiesWindow.h"
#include "preview/CutterWindow.h"
#include "shell/SettingsWindows.h"

#include <QDialog>
#include <memory>

namespace vc {

// All windows of the program, created in a fixed order before the main window first shows.
class Program {
public:
    Program(const ProgramInfo& info, Dialogs& dialogs, ShellActions& shell,
            PreviewLibrary* library = nullptr);
    ~Program();

    Tfm_main& main() { return *main_; }
    Tfm_dir& dir() { return *dir_; }
    Tfm_about& about() { return *about_; }
    Tfm_set& settings() { return *set_; }
    Tfm_info& info() { return *info_; }
    Tfm_dvdcutter& cutter() { return *cutter_; }

    // The order the windows were made in, by object name.
    const QStringList& creationOrder() const { return order_; }

private:
    QStringList order_;
    std::unique_ptr<Tfm_main> main_;
    std::unique_ptr<Tfm_dir> dir_;
    std::unique_ptr<Tfm_about> about_;
    std::unique_ptr<Tfm_set> set_;
    std::unique_ptr<Tfm_info> info_;
    std::unique_ptr<Tfm_dvdcutter> cutter_;
};

} // namespace vc
