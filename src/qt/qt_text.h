#pragma once

// Text crossing between the core's byte strings and Qt. Paths are in the system's own file-name
// encoding (on Windows UTF-8, which the OS layer turns into the system's wide names); every other
// text of the program is UTF-8.

#include <string>

#include <QFile>
#include <QString>

namespace snapvale {

#ifdef Q_OS_WIN
// QFile's own conversion would use the ANSI code page, which holds few of the names a folder may
// have; the core's paths are UTF-8 there.
inline QString PathToQString(const std::string& path) { return QString::fromStdString(path); }
inline std::string PathFromQString(const QString& path) { return path.toStdString(); }
#else
inline QString PathToQString(const std::string& path) { return QFile::decodeName(path.c_str()); }
inline std::string PathFromQString(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}
#endif
inline QString TextToQString(const std::string& text) { return QString::fromStdString(text); }

} // namespace snapvale
