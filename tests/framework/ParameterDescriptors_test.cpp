// Every controller's descriptors against the controller itself, booted the
// way a host boots it on its simulated module: what a descriptor says a
// parameter takes is what the module takes, its factory value is what the
// first start wrote, and every registered id is described once. A setter
// whose check is widened or narrowed without its descriptor fails here.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "Host.h"
#include "Modules.h"
#include "support/QuietConsole.h"

namespace {

std::vector<std::string> moduleNames() {
    std::vector<std::string> names;
    for (const ModuleInfo& module : knownModules()) {
        names.push_back(module.szName);
    }
    return names;
}

std::vector<ParameterDescriptor> descriptorsOf(const ISensorController& p_controller) {
    std::vector<ParameterDescriptor> all;
    ParameterDescriptor descriptor;
    for (int after = INT_MIN; p_controller.getNextParameterDescriptor(after, descriptor);
         after = descriptor.nId) {
        all.push_back(descriptor);
    }
    return all;
}

std::set<int> registeredIds(const IdManager& p_ids) {
    std::set<int> all;
    std::set<int> some;
    p_ids.getCommonIdList(some);
    all.insert(some.begin(), some.end());
    p_ids.getEspecialIdList(some);
    all.insert(some.begin(), some.end());
    p_ids.getSetOnlyIdList(some);
    all.insert(some.begin(), some.end());
    p_ids.getKeepDefaultValueList(some);
    all.insert(some.begin(), some.end());
    return all;
}

// The entries of a parameter file, version ids left out.
std::map<int, int> fileValues(const std::string& p_strPath) {
    std::ifstream in(p_strPath);
    std::stringstream text;
    text << in.rdbuf();
    std::string content = text.str();
    std::map<int, int> values;
    static const std::regex kEntry("\\((-?\\d+),(-?\\d+)\\)");
    for (std::sregex_iterator it(content.begin(), content.end(), kEntry), end; it != end; ++it) {
        int id = std::stoi((*it)[1]);
        if (id < 10000) {
            values[id] = std::stoi((*it)[2]);
        }
    }
    return values;
}

bool isMachineName(const char* p_szName) {
    static const std::regex kName("[a-z0-9]+(-[a-z0-9]+)*");
    return p_szName != nullptr && std::regex_match(p_szName, kName);
}

// Settings that must stay in order with a partner of the same group (a
// minimum below its maximum, day-to-night below night-to-day).
int roleGroup(ParameterRole p_eRole) {
    switch (p_eRole) {
        case ParameterRole::DTN_THRESHOLD:
        case ParameterRole::NTD_THRESHOLD:
            return 1;
        case ParameterRole::SHUTTER:
        case ParameterRole::MIN_SHUTTER:
        case ParameterRole::MAX_SHUTTER:
            return 2;
        case ParameterRole::GAIN:
        case ParameterRole::MAX_GAIN:
            return 3;
        default:
            return 0;
    }
}

bool checkedValues(const ParameterDescriptor& p_descriptor) {
    return p_descriptor.bChecked && (p_descriptor.eKind == ParameterKind::RANGE ||
                                     p_descriptor.eKind == ParameterKind::MENU ||
                                     p_descriptor.eKind == ParameterKind::ON_OFF);
}

// What went wrong, kept while the console is quiet (gtest reports there too)
// and reported after.
class Problems {
public:
    void check(bool p_bGood, const ParameterDescriptor* p_pDescriptor,
               const std::string& p_strWhat) {
        if (!p_bGood) {
            std::string where =
                p_pDescriptor == nullptr
                    ? std::string()
                    : std::to_string(p_pDescriptor->nId) + " " +
                          (p_pDescriptor->szName ? p_pDescriptor->szName : "(null)") + ": ";
            m_text += where + p_strWhat + "\n";
            ++m_nCount;
        }
    }
    int count() const { return m_nCount; }
    const std::string& text() const { return m_text; }

private:
    std::string m_text;
    int m_nCount = 0;
};

class ParameterSweep : public testing::TestWithParam<std::string> {
protected:
    ParameterSweep() {
        char pattern[] = "/tmp/sc-descriptors-XXXXXX";
        m_options.strRoot = mkdtemp(pattern);
        m_options.strModule = GetParam();
        m_options.bVirtualTime = true;
    }
    ~ParameterSweep() override {
        std::string command = "rm -rf '" + m_options.strRoot + "'";
        EXPECT_EQ(0, std::system(command.c_str()));
    }

    HostOptions m_options;
};

TEST_P(ParameterSweep, EveryRegisteredIdIsDescribedOnceWithItsFactoryValue) {
    Problems problems;
    {
        QuietConsole quiet;
        Host host(m_options);
        host.boot();
        ISensorController& controller = host.controller();
        std::vector<ParameterDescriptor> descriptors = descriptorsOf(controller);
        std::set<int> registered = registeredIds(*controller.getIdManager());
        std::map<int, int> factory =
            fileValues(host.root() + "/mnt/mtd/code/config_file/sensor_Factory.cfg");
        problems.check(host.firstBoot() && !factory.empty(), nullptr, "no factory file written");

        std::set<int> described;
        std::set<std::string> names;
        for (const ParameterDescriptor& d : descriptors) {
            described.insert(d.nId);
            problems.check(registered.count(d.nId) == 1, &d, "described but not registered");
            problems.check(controller.getIdManager()->getIdType(d.nId) == d.nIdType, &d, "id type");
            problems.check(isMachineName(d.szName), &d, "not a machine name");
            problems.check(names.insert(d.szName ? d.szName : "").second, &d, "name repeated");
            ParameterDescriptor byName;
            problems.check(
                controller.findParameterDescriptor(d.szName, byName) && byName.nId == d.nId, &d,
                "not found by its name");
            std::set<std::string> entryNames;
            for (int index = 0; index < d.nEntries; ++index) {
                const char* entry = d.pEntries[index].szName;
                problems.check(isMachineName(entry) && entryNames.insert(entry).second, &d,
                               std::string("entry '") + (entry ? entry : "") + "'");
            }
            problems.check(d.eKind != ParameterKind::MENU || d.nEntries > 1, &d, "a menu of one");
            problems.check(d.eKind != ParameterKind::RANGE || (d.nMin < d.nMax && d.nStep >= 1), &d,
                           "an empty range");
            auto inFile = factory.find(d.nId);
            if (inFile != factory.end()) {
                problems.check(inFile->second == d.nFactory, &d,
                               "factory value " + std::to_string(d.nFactory) + ", the file holds " +
                                   std::to_string(inFile->second));
            } else {
                problems.check(d.nIdType == ID_TYPE_SET_ONLY, &d,
                               "a stored id missing from the factory file");
            }
        }
        for (int id : registered) {
            problems.check(described.count(id) == 1, nullptr,
                           "registered id " + std::to_string(id) + " has no descriptor");
        }
    }
    EXPECT_EQ(0, problems.count()) << problems.text();
}

// Writes through the parameter path, as a host does. An ordered pair may
// refuse a value only because its partner stands in the way: the partners
// are moved to either end and the value tried again.
class Prober {
public:
    Prober(ISensorController& p_controller, const std::vector<ParameterDescriptor>& p_all)
        : m_controller(p_controller), m_all(p_all) {}

    bool accepts(const ParameterDescriptor& p_descriptor, int p_nValue) {
        ++m_nProbes;
        if (m_controller.setParameter(p_descriptor.nId, p_nValue) == 1) {
            return true;
        }
        int group = roleGroup(p_descriptor.eRole);
        if (group == 0) {
            return false;
        }
        for (bool toMaximum : {true, false}) {
            for (const ParameterDescriptor& partner : m_all) {
                if (partner.nId != p_descriptor.nId && roleGroup(partner.eRole) == group &&
                    partner.eKind == ParameterKind::RANGE && partner.bChecked) {
                    m_controller.setParameter(partner.nId, toMaximum ? partner.nMax : partner.nMin);
                }
            }
            if (m_controller.setParameter(p_descriptor.nId, p_nValue) == 1) {
                return true;
            }
        }
        return false;
    }

    bool refuses(const ParameterDescriptor& p_descriptor, int p_nValue) {
        ++m_nProbes;
        return m_controller.setParameter(p_descriptor.nId, p_nValue) == 0;
    }

    // Puts every setting back to its factory value; twice, since one of a
    // pair may stand in the way of the other until that is back.
    void restore() {
        for (int pass = 0; pass < 2; ++pass) {
            for (const ParameterDescriptor& d : m_all) {
                if (d.eKind != ParameterKind::ACTION && d.eKind != ParameterKind::READ_ONLY &&
                    d.nIdType != ID_TYPE_SET_ONLY) {
                    m_controller.setParameter(d.nId, d.nFactory);
                }
            }
        }
    }

    int probes() const { return m_nProbes; }

private:
    ISensorController& m_controller;
    const std::vector<ParameterDescriptor>& m_all;
    int m_nProbes = 0;
};

TEST_P(ParameterSweep, TheModuleTakesWhatItsDescriptorsSay) {
    Problems problems;
    std::string figures;
    {
        QuietConsole quiet;
        Host host(m_options);
        host.boot();
        ISensorController& controller = host.controller();
        std::vector<ParameterDescriptor> descriptors = descriptorsOf(controller);
        Prober prober(controller, descriptors);
        int counts[5] = {};
        int unchecked = 0;
        for (const ParameterDescriptor& d : descriptors) {
            ++counts[static_cast<int>(d.eKind)];
            if (!d.bChecked && d.eKind != ParameterKind::ACTION &&
                d.eKind != ParameterKind::READ_ONLY) {
                ++unchecked;
            }
            if (!checkedValues(d)) {
                continue;
            }
            std::vector<int> taken;
            std::vector<int> refused;
            for (int index = 0; index < d.nEntries; ++index) {
                taken.push_back(d.pEntries[index].nCode);
            }
            if (d.eKind == ParameterKind::RANGE) {
                taken.push_back(d.nMin);
                taken.push_back(d.nMax);
                if (d.nMin != INT_MIN && !d.takes(d.nMin - 1)) {
                    refused.push_back(d.nMin - 1);
                }
                if (d.nMax != INT_MAX && !d.takes(d.nMax + 1)) {
                    refused.push_back(d.nMax + 1);
                }
            } else if (d.eKind == ParameterKind::ON_OFF) {
                taken.insert(taken.end(), {0, 1});
                refused.insert(refused.end(), {-1, 2});
            } else {
                refused.push_back(*std::max_element(taken.begin(), taken.end()) + 1);
            }
            for (int value : taken) {
                problems.check(prober.accepts(d, value), &d, std::to_string(value) + " refused");
                prober.restore();
            }
            for (int value : refused) {
                problems.check(prober.refuses(d, value), &d, std::to_string(value) + " taken");
            }
        }
        char line[200];
        std::snprintf(line, sizeof(line),
                      "%s: %zu ids: %d ranges, %d menus, %d on/off, %d actions, %d read-only, "
                      "%d unchecked; %d probes",
                      GetParam().c_str(), descriptors.size(), counts[0], counts[1], counts[2],
                      counts[3], counts[4], unchecked, prober.probes());
        figures = line;
    }
    std::printf("%s\n", figures.c_str());
    EXPECT_EQ(0, problems.count()) << problems.text();
}

INSTANTIATE_TEST_SUITE_P(EveryModule, ParameterSweep, testing::ValuesIn(moduleNames()),
                         [](const testing::TestParamInfo<std::string>& p_info) {
                             return p_info.param;
                         });

}  // namespace
