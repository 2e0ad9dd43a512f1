#include "LineBudget.h"

#include "SimDeviceFiles.h"

LineBudget LineBudget::Between(double start, double end) {
    LineBudget budget;
    std::vector<SimDeviceFiles::LogLine> log = SimDeviceFiles::Log();
    for (size_t i = 0; i < log.size(); ++i) {
        const SimDeviceFiles::LogLine& line = log[i];
        if (line.time < start || line.time > end || line.kind == "note" || line.baud <= 0)
            continue;
        budget.bytes += line.count;
        budget.transferSeconds += line.count * 10.0 / line.baud;
        if (line.kind == "rx" && i + 1 < log.size() && log[i + 1].kind == "tx") ++budget.answered;
    }
    budget.drainSeconds = budget.answered * kDrainSeconds;
    return budget;
}
