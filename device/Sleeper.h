#pragma once
// The device layer's only way to wait. Every fixed wait of the protocol (the pauses between
// device steps, the poll intervals) goes through Sleeper::Wait, which hands it to the
// process-wide sleeper. The real sleeper blocks the calling thread (the system's Sleep);
// tests install their own, which records the waits (and may advance a simulated clock)
// instead of waiting them out:
//
//     RecordingSleeper fake;                 // any class derived from Sleeper
//     Sleeper::Override use(&fake);          // installed for this scope
//     ... device calls ...                   // Sleeper::Wait(7000) returns at once
//
// Not thread-safe: install and remove a sleeper while no device operation runs.

class Sleeper {
public:
    virtual ~Sleeper() {}
    virtual void Sleep(unsigned milliseconds) = 0;

    // Waits through the installed sleeper.
    static void Wait(unsigned milliseconds) { Current().Sleep(milliseconds); }
    static Sleeper& Current();
    // Installs sleeper (null: the real one again) and returns the one it replaces.
    static Sleeper* Install(Sleeper* sleeper);

    // Installs a sleeper for the life of the object, then puts the previous one back.
    class Override {
    public:
        explicit Override(Sleeper* sleeper) : m_previous(Install(sleeper)) {}
        ~Override() { Install(m_previous); }
        Override(const Override&) = delete;
        Override& operator=(const Override&) = delete;

    private:
        Sleeper* m_previous;
    };
};
