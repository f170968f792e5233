#include "Report.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

// Examples kept per kind of failure: enough to act on, not a flood.
const size_t kExamples = 3;

const char* verdict(bool p_bOk) {
    return p_bOk ? "ok" : "**FAILED**";
}

// A cell that cannot break the table.
std::string cell(const std::string& p_strText) {
    std::string text;
    for (char c : p_strText) {
        text += c == '|' ? std::string("\\|") : std::string(1, c);
    }
    return text;
}

}  // namespace

void LatencyLog::merge(const LatencyLog& p_other) {
    for (const auto& entry : p_other.m_samples) {
        std::vector<double>& samples = m_samples[entry.first];
        samples.insert(samples.end(), entry.second.begin(), entry.second.end());
    }
}

size_t LatencyLog::count() const {
    size_t count = 0;
    for (const auto& entry : m_samples) {
        count += entry.second.size();
    }
    return count;
}

double percentile(std::vector<double> p_samples, double p_dFraction) {
    if (p_samples.empty()) {
        return 0;
    }
    size_t index = static_cast<size_t>(std::ceil(p_dFraction * p_samples.size()));
    index = std::min(p_samples.size() - 1, index == 0 ? 0 : index - 1);
    std::nth_element(p_samples.begin(), p_samples.begin() + static_cast<long>(index),
                     p_samples.end());
    return p_samples[index];
}

std::string fixed(double p_dValue, int p_nDecimals) {
    char text[64];
    std::snprintf(text, sizeof(text), "%.*f", p_nDecimals, p_dValue);
    return text;
}

std::string excerpt(const std::string& p_strText, size_t p_nMax) {
    std::string text;
    for (char c : p_strText) {
        if (c == '\r') {
            continue;
        }
        text += c == '\n' || c == '\t' ? ' ' : c;
    }
    while (!text.empty() && text.back() == ' ') {
        text.pop_back();
    }
    return text.size() <= p_nMax ? text : text.substr(0, p_nMax) + "...";
}

void Report::check(const std::string& p_strName, const std::string& p_strMeasured,
                   const std::string& p_strBudget, bool p_bOk) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_checks.push_back(Row{p_strName, p_strMeasured, p_strBudget, p_bOk, true});
}

void Report::figure(const std::string& p_strName, const std::string& p_strMeasured) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_checks.push_back(Row{p_strName, p_strMeasured, "", true, false});
}

void Report::badInput(const std::string& p_strCase, const std::string& p_strAnswer,
                      const std::string& p_strExpected, bool p_bOk) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_badInput.push_back(Row{p_strCase, p_strAnswer, p_strExpected, p_bOk, true});
}

void Report::error(const std::string& p_strKind, const std::string& p_strRequest,
                   const std::string& p_strAnswer) {
    std::lock_guard<std::mutex> lock(m_mutex);
    Failure& failure = m_errors[p_strKind];
    ++failure.nCount;
    if (failure.examples.size() < kExamples) {
        failure.examples.push_back(excerpt(p_strRequest, 300) + " -> " + excerpt(p_strAnswer, 300));
    }
}

void Report::expected(const std::string& p_strKind) {
    std::lock_guard<std::mutex> lock(m_mutex);
    ++m_expected[p_strKind];
}

void Report::latencies(const std::string& p_strRound, const LatencyLog& p_log, double p_dSeconds) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_rounds.push_back(Round{p_strRound, p_log, p_dSeconds});
}

size_t Report::errors() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    size_t count = 0;
    for (const auto& entry : m_errors) {
        count += entry.second.nCount;
    }
    return count;
}

bool Report::passed() const {
    if (errors() != 0) {
        return false;
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    for (const Row& row : m_checks) {
        if (!row.bOk) {
            return false;
        }
    }
    for (const Row& row : m_badInput) {
        if (!row.bOk) {
            return false;
        }
    }
    return true;
}

void Report::print(std::ostream& p_out) const {
    bool ok = passed();
    std::lock_guard<std::mutex> lock(m_mutex);
    p_out << "\n## " << m_strTitle << ": " << (ok ? "passed" : "FAILED") << "\n\n";
    p_out << "| check | measured | budget | |\n|---|---|---|---|\n";
    for (const Row& row : m_checks) {
        p_out << "| " << cell(row.strName) << " | " << cell(row.strMeasured) << " | "
              << cell(row.strBudget) << " | " << (row.bJudged ? verdict(row.bOk) : "") << " |\n";
    }
    for (const Round& round : m_rounds) {
        p_out << "\n| " << cell(round.strName)
              << " request | count | per s | p50 ms | p99 ms |\n|---|---|---|---|---|\n";
        for (const auto& entry : round.log.samples()) {
            const std::vector<double>& samples = entry.second;
            double rate = round.dSeconds > 0 ? samples.size() / round.dSeconds : 0;
            p_out << "| " << entry.first << " | " << samples.size() << " | " << fixed(rate) << " | "
                  << fixed(percentile(samples, 0.5), 2) << " | "
                  << fixed(percentile(samples, 0.99), 2) << " |\n";
        }
    }
    if (!m_badInput.empty()) {
        p_out << "\n| bad input | answer | expected | |\n|---|---|---|---|\n";
        for (const Row& row : m_badInput) {
            p_out << "| " << cell(row.strName) << " | " << cell(row.strMeasured) << " | "
                  << cell(row.strBudget) << " | " << verdict(row.bOk) << " |\n";
        }
    }
    if (!m_expected.empty()) {
        p_out << "\n| module failures (injected, expected) | count |\n|---|---|\n";
        for (const auto& entry : m_expected) {
            p_out << "| " << cell(entry.first) << " | " << entry.second << " |\n";
        }
    }
    p_out << "\n| unexpected errors | count | first requests and answers |\n|---|---|---|\n";
    if (m_errors.empty()) {
        p_out << "| none | 0 | |\n";
    }
    for (const auto& entry : m_errors) {
        std::string examples;
        for (const std::string& example : entry.second.examples) {
            examples += (examples.empty() ? "" : "<br>") + example;
        }
        p_out << "| " << cell(entry.first) << " | " << entry.second.nCount << " | "
              << cell(examples) << " |\n";
    }
    p_out.flush();
}
