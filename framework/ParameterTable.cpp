#include "ParameterTable.h"

#include <cstring>

ParameterDescriptor ParameterFacts::descriptor(int p_nId) const {
    ParameterDescriptor descriptor;
    descriptor.nId = p_nId;
    descriptor.szName = szName;
    descriptor.eKind = eKind;
    descriptor.eUnit = eUnit;
    descriptor.eRole = eRole;
    descriptor.bChecked = bChecked;
    descriptor.nMin = nMin;
    descriptor.nMax = nMax;
    descriptor.nStep = nStep;
    descriptor.pEntries = pEntries;
    descriptor.nEntries = nEntries;
    descriptor.nFactory = nFactory;
    return descriptor;
}

bool ParameterFacts::takes(int p_nValue) const {
    return descriptor(0).takes(p_nValue);
}

namespace {

const unsigned char* rowAt(const ParameterRun& p_run, const ParameterRowLayout& p_layout,
                           size_t p_nIndex) {
    return static_cast<const unsigned char*>(p_run.pRows) + p_nIndex * p_layout.nStride;
}

int idOf(const unsigned char* p_pRow, const ParameterRowLayout& p_layout) {
    int id = 0;
    std::memcpy(&id, p_pRow + p_layout.nIdOffset, sizeof(id));
    return id;
}

// The first row with the id, as the table finds it: a member's lists come
// before its family's.
const unsigned char* findRow(const std::vector<ParameterRun>& p_runs,
                             const ParameterRowLayout& p_layout, int p_nId) {
    for (const ParameterRun& run : p_runs) {
        for (size_t index = 0; index < run.nCount; ++index) {
            const unsigned char* row = rowAt(run, p_layout, index);
            if (idOf(row, p_layout) == p_nId) {
                return row;
            }
        }
    }
    return nullptr;
}

}  // namespace

int describeParameterRow(const std::vector<ParameterRun>& p_runs,
                         const ParameterRowLayout& p_layout, int p_nId,
                         ParameterDescriptor& p_descriptor) {
    const unsigned char* row = findRow(p_runs, p_layout, p_nId);
    if (row == nullptr || row[p_layout.nKindOffset] == 0) {
        return 0;  // not the table's, or absent from this member
    }
    const ParameterFacts* facts =
        reinterpret_cast<const ParameterFacts*>(row + p_layout.nFactsOffset);
    if (facts->szName == nullptr) {
        return 0;
    }
    p_descriptor = facts->descriptor(p_nId);
    return 1;
}

int describeNextParameterRow(const std::vector<ParameterRun>& p_runs,
                             const ParameterRowLayout& p_layout, int p_nAfter,
                             ParameterDescriptor& p_descriptor) {
    // Few rows, rarely asked: the smallest described id above, found by
    // walking everything rather than keeping a sorted copy per table.
    int after = p_nAfter;
    for (;;) {
        bool found = false;
        int next = 0;
        for (const ParameterRun& run : p_runs) {
            for (size_t index = 0; index < run.nCount; ++index) {
                int id = idOf(rowAt(run, p_layout, index), p_layout);
                if (id > after && (!found || id < next)) {
                    next = id;
                    found = true;
                }
            }
        }
        if (!found) {
            return 0;
        }
        if (describeParameterRow(p_runs, p_layout, next, p_descriptor)) {
            return 1;
        }
        after = next;  // an absent or undescribed row: look further
    }
}
