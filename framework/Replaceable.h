#pragma once
// A process-wide interface at the system boundary that tests replace. The class derives
// from Replaceable<itself> and provides `static Interface& System()` (the real one):
//
//     class MessageBoxes : public Replaceable<MessageBoxes> { ... };
//     ScriptedBoxes boxes;                       // a test's own implementation
//     MessageBoxes::Override use(&boxes);        // installed for this scope
//
// Not thread-safe: install and remove on the user-interface thread only.

template <class Interface>
class Replaceable {
public:
    // The installed implementation, else the system's.
    static Interface& Current() { return Slot() ? *Slot() : Interface::System(); }
    // Installs one (null: the system's again) and returns the one it replaces.
    static Interface* Install(Interface* replacement) {
        Interface* previous = Slot();
        Slot() = replacement;
        return previous;
    }

    // Installs a replacement for the life of the object, then puts the previous one back.
    class Override {
    public:
        explicit Override(Interface* replacement) : m_previous(Install(replacement)) {}
        ~Override() { Install(m_previous); }
        Override(const Override&) = delete;
        Override& operator=(const Override&) = delete;

    private:
        Interface* m_previous;
    };

private:
    static Interface*& Slot() {
        static Interface* slot = nullptr;
        return slot;
    }
};
