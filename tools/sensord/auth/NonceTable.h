#ifndef SENSORD_NONCETABLE_H
#define SENSORD_NONCETABLE_H

#include <cstddef>
#include <map>
#include <string>
#include <unordered_map>

// Nonces seen, each with its time stamp and a value, in bounded memory. Old
// entries expire; when the table is full the oldest is forgotten and the
// floor rises to its stamp, so that a caller can refuse anything stamped at
// or below the floor (it could be a replay of a forgotten one). Every step
// is logarithmic: at thousands of log-ins a second the table is always full.
template <class Time, class Value>
class NonceTable {
public:
    explicit NonceTable(size_t p_nMax) : m_nMax(p_nMax == 0 ? 1 : p_nMax) {}

    // The value kept for the nonce, or null.
    Value* find(const std::string& p_strNonce) {
        auto it = m_entries.find(p_strNonce);
        return it == m_entries.end() ? nullptr : &it->second.value;
    }
    // Forgets what was stamped before p_before (no floor: those are past
    // the window in which they count).
    void expire(Time p_before) {
        while (!m_order.empty() && m_order.begin()->first < p_before) {
            m_entries.erase(m_order.begin()->second);
            m_order.erase(m_order.begin());
        }
    }
    // Keeps a new nonce, making room first; false (and not kept) when the
    // room made raised the floor to its stamp or above.
    bool add(const std::string& p_strNonce, Time p_stamp, Value p_value) {
        if (m_entries.size() >= m_nMax) {
            auto oldest = m_order.begin();
            if (m_floor < oldest->first) {
                m_floor = oldest->first;
            }
            m_entries.erase(oldest->second);
            m_order.erase(oldest);
        }
        if (p_stamp <= m_floor) {
            return false;
        }
        m_entries.emplace(p_strNonce, Entry{p_value});
        m_order.emplace(p_stamp, p_strNonce);
        return true;
    }
    Time floor() const { return m_floor; }
    size_t size() const { return m_entries.size(); }

private:
    struct Entry {
        Value value;
    };
    size_t m_nMax;
    std::unordered_map<std::string, Entry> m_entries;
    std::multimap<Time, std::string> m_order;
    Time m_floor = Time::min();
};

#endif
