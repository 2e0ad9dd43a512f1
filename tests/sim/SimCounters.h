#pragma once
// The statistics counters of the simulated autoloader (pure C++ standard library), read with
// "\x1b!f;<key>C". Keys below '4' answer 12 bytes: "\x1b!f;", the key, the status, five
// digits and 'C'; keys from '4' up answer 17 bytes with ten digits. A counter never set
// answers "4294967295" in the long form and is refused in the short one.

#include <map>
#include <string>

class SimCounters {
public:
    void Set(char key, unsigned long long value) { m_values[key] = value; }

    // The model's answer to a counter read (true), or false for any other command.
    bool Respond(const std::string& frame, bool refuse, std::string& reply);

private:
    std::map<char, unsigned long long> m_values;
};
