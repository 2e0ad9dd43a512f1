#pragma once
// The stand-alone printer's prompt to the user ("Place disc on printer tray" before a print
// in USB printer-port mode): a message box with an OK button. The default shows the system's
// message box; the application installs its own (captioned like its other boxes) and tests
// install one that records the prompts:
//
//     class Recorder : public AutoPrinterPrompter { void Prompt(const char* t) override; };
//     Recorder recorder;
//     AutoPrinterPrompter::Override use(&recorder);
//
// Not thread-safe: install and remove on the user-interface thread only.

class AutoPrinterPrompter {
public:
    virtual ~AutoPrinterPrompter() {}
    // Shows text and returns when the user has answered.
    virtual void Prompt(const char* text) = 0;

    static AutoPrinterPrompter& Current();
    // Installs prompter (null: the system's message box again); returns the one replaced.
    static AutoPrinterPrompter* Install(AutoPrinterPrompter* prompter);

    class Override {
    public:
        explicit Override(AutoPrinterPrompter* prompter) : m_previous(Install(prompter)) {}
        ~Override() { Install(m_previous); }
        Override(const Override&) = delete;
        Override& operator=(const Override&) = delete;

    private:
        AutoPrinterPrompter* m_previous;
    };
};
