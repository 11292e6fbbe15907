#pragma once

#include <QString>

namespace platform {

// The values a run shares between its windows: where the program and its block-formation
// database are, the current school year and the administration container. One instance, owned
// by the application and passed by reference; nothing else survives from one command to the next.
struct RunState {
    QString ProgPfad;    // program directory, ends with a separator unless a drive root
    QString DatenPfad;   // directory of the database, joined to DatenDatei without separator
    QString DatenDatei;  // file name of the database
    QString SchjBez;     // school-year designation, 9 characters ("2009/2010")
    QString SchjID;      // 6-character key of the school year
    QString VerwDbcPfad; // the administration container

    // The pointer file's directory for this run: ProgPfad, or the command line when one was given.
    QString pointerDir;

    QString databasePath() const { return DatenPfad + DatenDatei; }
    // Sets DatenPfad and DatenDatei from the database's full path (platform::splitPath).
    void useDatabase(const QString& path);
    // Where the pointer file is written: where start-up read it, so that the next start with the
    // same command line finds the file chosen now.
    QString pointerDirectory() const { return pointerDir.isEmpty() ? ProgPfad : pointerDir; }
};

} // namespace platform
