#pragma once

#include <QString>

namespace vc {

// Where the program lives and what it was called; the file name is taken from argv[0] so
// that a copy or a link under another name selects its own settings and edition.
struct ProgramInfo {
    QString folder;   // the running executable's folder
    QString fileName; // as started, e.g. "VideoConverter"
    QString name;     // the file name less a trailing ".exe"
    QString toolPath; // the converter tool beside the executable

    static ProgramInfo fromArgv0(const QString& argv0, const QString& executableFolder);
    // A program file name less a trailing ".exe".
    static QString nameOf(const QString& fileName);
};

} // namespace vc
