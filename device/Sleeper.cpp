#include "device/Sleeper.h"

#include <windows.h>

namespace {

class SystemSleeper : public Sleeper {
public:
    void Sleep(unsigned milliseconds) override { ::Sleep(milliseconds); }
};

SystemSleeper g_systemSleeper;
Sleeper* g_sleeper = &g_systemSleeper;

}  // namespace

Sleeper& Sleeper::Current() { return *g_sleeper; }

Sleeper* Sleeper::Install(Sleeper* sleeper) {
    Sleeper* previous = g_sleeper;
    g_sleeper = sleeper ? sleeper : &g_systemSleeper;
    return previous;
}
