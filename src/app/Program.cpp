#include "app/Program.h"

namespace vc {

Program::Program(const ProgramInfo& info, Dialogs& dialogs, ShellActions& shell,
                 PreviewLibrary* library) {
    main_ = std::make_unique<Tfm_main>(info, dialogs, shell, library);
    order_ << main_->objectName();
    dir_ = std::make_unique<Tfm_dir>(main_.get());
    order_ << dir_->objectName();
    about_ = std::make_unique<Tfm_about>(shell, main_.get());
    order_ << about_->objectName();
    set_ = std::make_unique<Tfm_set>(main_.get());
    order_ << set_->objectName();
    info_ = std::make_unique<Tfm_info>(main_.get());
    order_ << info_->objectName();
    cutter_ = std::make_unique<Tfm_dvdcutter>(main_.get());
    order_ << cutter_->objectName();
    main_->setWindows({dir_.get(), about_.get(), set_.get(), info_.get(), cutter_.get()});
}

// The child windows go first: the main window would otherwise delete them itself.
Program::~Program() {
    cutter_.reset();
    info_.reset();
    set_.reset();
    about_.reset();
    dir_.reset();
    main_.reset();
}

} // namespace vc
