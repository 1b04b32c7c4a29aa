// A DLL that a launched program loads by its plain name: the tests place it in a
// shortcut's working folder only, to see whether that folder is searched.
#include <windows.h>

extern "C" __declspec(dllexport) int ProbeLibAnswer() {
    return 42;
}
