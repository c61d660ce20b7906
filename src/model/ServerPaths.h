#pragma once

#include <QString>

// Folder names of the server runtime beside the executable: the program's
// fixed contract with its install folder.
inline constexpr char kJreFolderName[] = "jre7";
inline constexpr char kJdkFolderName[] = "jdk1.7.0_01";
inline constexpr char kTomcatFolderName[] = "apache-tomcat-7.0.22";

// The server paths handed to the server's scripts as JRE_HOME, JAVA_HOME and
// CATALINA_HOME. Empty until the first new document; every new document
// writes them from the install folder, nothing clears them. Strings of any
// length: an install folder has no length limit here.
extern QString g_szJreHome;
extern QString g_szJdkHome;
extern QString g_szTomcatHome;

// Writes the three server paths for an install folder.
void WriteServerPaths(const QString &installDir);
