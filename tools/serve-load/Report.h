#ifndef SERVELOAD_REPORT_H
#define SERVELOAD_REPORT_H

#include <map>
#include <mutex>
#include <ostream>
#include <string>
#include <vector>

// Latencies by request kind, kept by one thread and merged at the end, so
// that timing a request never waits for a lock.
class LatencyLog {
public:
    void add(const std::string& p_strKind, double p_dMillis) {
        m_samples[p_strKind].push_back(p_dMillis);
    }
    void merge(const LatencyLog& p_other);
    const std::map<std::string, std::vector<double> >& samples() const { return m_samples; }
    size_t count() const;

private:
    std::map<std::string, std::vector<double> > m_samples;
};

// p (0..1) of the samples, 0 for none.
double percentile(std::vector<double> p_samples, double p_dFraction);

// What one module's run found: the checks with their budgets, the answers
// to the bad input, what went wrong (each kind with the first requests and
// answers that showed it) and the latencies. Safe from any thread.
class Report {
public:
    explicit Report(std::string p_strTitle) : m_strTitle(std::move(p_strTitle)) {}

    // One row of the checks table; a failed check makes the run fail.
    void check(const std::string& p_strName, const std::string& p_strMeasured,
               const std::string& p_strBudget, bool p_bOk);
    // A figure without a budget.
    void figure(const std::string& p_strName, const std::string& p_strMeasured);
    // One bad input: what it got and what it should get.
    void badInput(const std::string& p_strCase, const std::string& p_strAnswer,
                  const std::string& p_strExpected, bool p_bOk);
    // Something no client should see; p_strKind groups it ("json-set: HTTP 500").
    void error(const std::string& p_strKind, const std::string& p_strRequest,
               const std::string& p_strAnswer);
    // A module failure the injected faults were meant to cause.
    void expected(const std::string& p_strKind);
    void latencies(const std::string& p_strRound, const LatencyLog& p_log, double p_dSeconds);

    size_t errors() const;
    bool passed() const;
    void print(std::ostream& p_out) const;

private:
    struct Row {
        std::string strName;
        std::string strMeasured;
        std::string strBudget;
        bool bOk;
        bool bJudged;
    };
    struct Failure {
        size_t nCount = 0;
        std::vector<std::string> examples;
    };
    struct Round {
        std::string strName;
        LatencyLog log;
        double dSeconds = 0;
    };

    std::string m_strTitle;
    mutable std::mutex m_mutex;
    std::vector<Row> m_checks;
    std::vector<Row> m_badInput;
    std::map<std::string, Failure> m_errors;
    std::map<std::string, size_t> m_expected;
    std::vector<Round> m_rounds;
};

// "12.3"
std::string fixed(double p_dValue, int p_nDecimals = 1);
// A body cut to a line's worth, line breaks shown as spaces.
std::string excerpt(const std::string& p_strText, size_t p_nMax = 200);

#endif
