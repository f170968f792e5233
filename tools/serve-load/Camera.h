#ifndef SERVELOAD_CAMERA_H
#define SERVELOAD_CAMERA_H

#include <condition_variable>
#include <map>
#include <mutex>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "Client.h"
#include "Report.h"

// Many may hold it shared, one alone; one waiting to hold it alone keeps
// new sharers out, so that a steady stream of them cannot starve it (as
// they would with std::shared_mutex, which favours its readers).
class Gate {
public:
    void lock_shared();
    void unlock_shared();
    void lock();
    void unlock();

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    int m_nShared = 0;
    int m_nWaiting = 0;
    bool m_bAlone = false;
};

// One setting the load writes, as GET /api/parameters describes it.
struct Setting {
    std::string strName;
    int nId = 0;
    std::string strKind;  // "range", "menu", "on-off"
    std::string strRole;
    int nMin = 0;
    int nMax = 0;
    int nStep = 1;
    std::vector<std::pair<int, std::string> > entries;  // a menu's codes and names
    std::string strOnvif;  // its ONVIF Imaging name ("Brightness"), empty when it has none

    // A value it takes, other than p_nNot where it can.
    int pick(std::mt19937& p_random, int p_nNot) const;
    // A value of its range it refuses (above the top); false when it has none.
    bool outOfRange(int& p_nValue) const;
    // The entry's name for a menu code; empty for none.
    std::string entryName(int p_nCode) const;
};

// sensord as the harness knows it: where it is, its users, the settings the
// load writes and the last acknowledged value of each. Each setting belongs
// to one client at a time, so the last acknowledgement is the value.
// Switching the scheme swaps every value: clients hold the gate shared for
// each request, the driver holds it alone to switch.
class Camera {
public:
    Camera(std::string p_strUrl, Account p_admin, Account p_operator, Account p_viewer);

    const std::string& url() const { return m_strUrl; }
    const Account& admin() const { return m_admin; }
    const Account& operatorAccount() const { return m_operator; }
    const Account& viewer() const { return m_viewer; }
    void setUrl(const std::string& p_strUrl) { m_strUrl = p_strUrl; }

    // Reads the parameters and the schemes; picks the settings the load
    // writes (plain picture settings: nothing the day/night or scheme logic
    // or a lens moves) and takes their values as acknowledged.
    bool discover(std::string& p_strError);
    const std::vector<Setting>& settings() const { return m_settings; }
    const Setting* find(const std::string& p_strName) const;
    int schemes() const { return m_nSchemes; }
    int scheme() const { return m_nScheme; }

    void acknowledge(const std::string& p_strName, int p_nValue);
    int expected(const std::string& p_strName) const;
    std::map<std::string, int> expectedAll() const;
    // A write of the value that was not acknowledged, for the history.
    void failed(const std::string& p_strName, int p_nValue);
    // " (before: 12, 40 failed, 7)": the values acknowledged before the last
    // one and the writes that failed in between, for the errors.
    std::string history(const std::string& p_strName) const;

    // GET /api/parameters: the value of each setting the load writes.
    bool readValues(HttpClient& p_client, std::map<std::string, int>& p_values,
                    std::string& p_strError) const;
    // Compares the service's values with the acknowledged ones; each
    // difference is an error in p_report under p_strWhen. The differences.
    size_t verify(HttpClient& p_client, Report& p_report, const std::string& p_strWhen) const;
    // As verify, over ONVIF GetImagingSettings for the settings it has.
    size_t verifyOnvif(HttpClient& p_client, Report& p_report, const std::string& p_strWhen) const;

    // Makes p_nScheme the active scheme (as the driver does, the gate held):
    // the values it comes back with must be those it was left with; they
    // become the acknowledged ones. False with the error reported.
    bool switchScheme(HttpClient& p_client, int p_nScheme, Report& p_report, LatencyLog* p_pLog);

    Gate& gate() { return m_gate; }

private:
    std::string m_strUrl;
    Account m_admin;
    Account m_operator;
    Account m_viewer;
    std::vector<Setting> m_settings;
    int m_nSchemes = 0;
    int m_nScheme = -2;

    mutable std::mutex m_mutex;
    std::map<std::string, int> m_expected;
    std::map<std::string, std::vector<std::string> > m_history;
    // What each scheme was left with, by scheme.
    std::map<int, std::map<std::string, int> > m_left;
    Gate m_gate;
};

#endif
