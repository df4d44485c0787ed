#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include "tools/adjust/console_win32.h"

namespace adjust {

namespace {

bool Leads(DWORD which) {
    HANDLE handle = GetStdHandle(which);
    return handle != nullptr && handle != INVALID_HANDLE_VALUE && GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

}  // namespace

void UseParentConsole() {
    const bool out = Leads(STD_OUTPUT_HANDLE);
    const bool err = Leads(STD_ERROR_HANDLE);
    if ((!out || !err) && AttachConsole(ATTACH_PARENT_PROCESS)) {
        if (!out) std::freopen("CONOUT$", "w", stdout);
        if (!err) std::freopen("CONOUT$", "w", stderr);
    }
    // Lines end in "\n" as on every other system: the list is read by programs.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
}

}  // namespace adjust
