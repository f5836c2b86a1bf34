#pragma once

#include "common/IniFile.h"

#include <QString>

namespace vc {

// The user's choices kept between runs.
struct Settings {
    bool videoFirstPage = true;
    bool audioFirstPage = true;
    QString outputFolder;
    int category = 1;
    int profile = 0;
    int finishAction = 0; // 0 nothing, 1 open the output folder, 2 power off
    int filesAtOnce = 1;  // conversions the window runs at a time

    friend bool operator==(const Settings&, const Settings&) = default;
};

// The settings file (program name + ".ini") and the profile parameter store
// ("pro " + program name + ".ini"), both in the configuration folder.
class SettingsStore {
public:
    explicit SettingsStore(const QString& programName);

    // Missing files and keys, and numbers outside what the program offers (a profile number
    // whose picker button does not select, a category the picker lacks, an action outside 0..2),
    // give the defaults; the profile defaults to defaultProfile. Files at once is held within
    // 1 and the processors the program may use.
    Settings load(int defaultProfile) const;
    // False when the settings file could not be written; it keeps what it held then.
    bool save(const Settings& settings);

    IniFile& settingsFile() { return settings_; }
    IniFile& parameterStore() { return parameters_; }

    // The user's videos folder, with a trailing separator.
    static QString defaultOutputFolder();

private:
    bool saveFilesAtOnce(int files);

    IniFile settings_;
    IniFile parameters_;
};

} // namespace vc
