# Fails when a file under src/ includes an operating system's own header outside that system's
# implementation files (named posix_* or windows_*), so the rest of the code, Qt layer included,
# builds on every system. Run as: cmake -DSOURCE_DIR=<src> -P check_system_headers.cmake
get_filename_component(SOURCE_DIR "${SOURCE_DIR}" ABSOLUTE)

# POSIX's headers beyond the C and C++ standard libraries.
set(posix_headers
  "unistd\\.h" "dirent\\.h" "fcntl\\.h" "pwd\\.h" "grp\\.h" "utime\\.h" "pthread\\.h" "dlfcn\\.h"
  "poll\\.h" "termios\\.h" "spawn\\.h" "syslog\\.h" "libgen\\.h" "fnmatch\\.h" "glob\\.h"
  "semaphore\\.h" "netdb\\.h" "sys/.*" "arpa/.*" "netinet/.*")
# Windows' SDK headers: windows.h and the headers it gathers, and the C runtime's POSIX stand-ins.
set(windows_headers
  "windows\\.h" "winbase\\.h" "windef\\.h" "winnt\\.h" "winerror\\.h" "winioctl\\.h" "fileapi\\.h"
  "handleapi\\.h" "timezoneapi\\.h" "aclapi\\.h" "accctrl\\.h" "sddl\\.h" "shlobj\\.h"
  "shlobj_core\\.h" "shellapi\\.h" "shlwapi\\.h" "knownfolders\\.h" "objbase\\.h" "combaseapi\\.h"
  "winsock2?\\.h" "io\\.h" "direct\\.h" "share\\.h")
list(JOIN posix_headers "|" posix_pattern)
list(JOIN windows_headers "|" windows_pattern)

file(GLOB_RECURSE sources RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/*.h" "${SOURCE_DIR}/*.cpp")
set(failures "")
foreach(source IN LISTS sources)
  get_filename_component(name "${source}" NAME)
  file(STRINGS "${SOURCE_DIR}/${source}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*<")
  foreach(line IN LISTS includes)
    string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*<([^>]*)>.*" "\\1" header "${line}")
    string(TOLOWER "${header}" header)
    if(header MATCHES "^(${posix_pattern})$" AND NOT name MATCHES "^posix_")
      string(APPEND failures "  ${source}: ${line} (only in posix_* files)\n")
    elseif(header MATCHES "^(${windows_pattern})$" AND NOT name MATCHES "^windows_")
      string(APPEND failures "  ${source}: ${line} (only in windows_* files)\n")
    endif()
  endforeach()
endforeach()

if(failures)
  message(FATAL_ERROR "System headers outside the system's own implementation files:\n${failures}")
endif()
