#pragma once

// Text crossing between the core's byte strings and Qt. Paths are in the system's own file-name
// encoding; every other text of the program is UTF-8.

#include <string>

#include <QFile>
#include <QString>

namespace snapvale {

inline QString PathToQString(const std::string& path) { return QFile::decodeName(path.c_str()); }
inline std::string PathFromQString(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}
inline QString TextToQString(const std::string& text) { return QString::fromStdString(text); }

} // namespace snapvale
