#ifndef SOAK_CAMPAIGN_H
#define SOAK_CAMPAIGN_H

#include <string>
#include <vector>

#include "Modules.h"

struct CampaignOptions {
    std::string strRoot;       // each module gets a root of its own below it
    long nExchanges = 3000;    // per module, over all rounds
    int nRounds = 2;           // boots on the same root with faults
    double dFaultRate = 0.05;  // per frame (or ISP command)
    unsigned int nSeed = 1;
    bool bVerbose = false;  // print each violation as it is found
    bool bTrace = false;    // print every operation and its result
};

struct CampaignFigures {
    std::string strModule;
    long nExchanges = 0;
    long nFaults = 0;
    long nRetries = 0;
    long nOperations = 0;
    long nFailures = 0;  // operations that failed after the module was asked
    long nRefusals = 0;  // values refused before the module was asked
    long nViolations = 0;
    std::vector<std::string> violations;  // the first few
    long nHeapGrowth = 0;                 // bytes, from the second boot's end to the last's
    double dRealSeconds = 0.0;
    double dVirtualHours = 0.0;
};

// Boots the module on the virtual clock in a fresh root, round after round,
// and drives it with random writes, batches, scheme and day/night changes,
// resets and flushes while its simulator injects faults; then, with the
// faults stopped, checks what must hold for every parameter, and what the
// process holds after each controller is gone.
CampaignFigures runCampaign(const ModuleInfo& p_module, const CampaignOptions& p_options);
// The table: its header, and one module's row with its violations.
void printCampaignHeader();
void printCampaignRow(const CampaignFigures& p_figures);

#endif
