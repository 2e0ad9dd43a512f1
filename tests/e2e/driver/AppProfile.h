#pragma once
// The program's registry profile, HKEY_CURRENT_USER\Software\Varden\Tavrix\<section>, read
// and written by tests to set up and check what the program remembers.

#include <string>

class AppProfile {
public:
    // The integer value, or fallback when it is absent.
    static int Read(const wchar_t* section, const wchar_t* name, int fallback);
    static bool Write(const wchar_t* section, const wchar_t* name, int value);
    // Removes the program's whole key.
    static void Clear();

    static const wchar_t* const kKey;
};
