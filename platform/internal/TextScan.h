#ifndef SENSORCONTROL_PLATFORM_INTERNAL_TEXTSCAN_H
#define SENSORCONTROL_PLATFORM_INTERNAL_TEXTSCAN_H

#include <cstddef>
#include <string>

// A bounded cursor over a text, for the platform's small grammars. Nothing
// here reads past the end, and numbers that do not fit an int are refused.
class TextScan {
public:
    TextScan(const char* p_pBegin, const char* p_pEnd) : m_pPos(p_pBegin), m_pEnd(p_pEnd) {}
    explicit TextScan(const std::string& p_strText)
        : TextScan(p_strText.data(), p_strText.data() + p_strText.size()) {}

    bool atEnd() const { return m_pPos == m_pEnd; }
    char peek() const { return m_pPos == m_pEnd ? '\0' : *m_pPos; }
    // Skips blanks: space, tab, CR, LF.
    void skipBlanks();
    // Consumes the character if it is next.
    bool accept(char p_c);
    // A decimal int with an optional sign; false (cursor unchanged) when none
    // stands here or it does not fit.
    bool readInt(int& p_nValue);

private:
    const char* m_pPos;
    const char* m_pEnd;
};

// The whole text (blanks around allowed) as one decimal int; false when it is
// anything else or does not fit.
bool parseWholeInt(const std::string& p_strText, int& p_nValue);

// Blanks (space, tab, CR, LF) removed from both ends.
std::string trimBlanks(const std::string& p_strText);

// Reads up to p_nMax decimal ints separated by commas, as "%d,%d,%d" would:
// blanks before a number are skipped, reading stops at the first thing that
// is not the next number or comma. A number that does not fit an int stops
// it too. Returns how many were read; the rest of p_pValues is untouched.
int scanCommaInts(const std::string& p_strText, int* p_pValues, int p_nMax);

// True when the text is well-formed UTF-8 (no overlong forms, no surrogates).
bool isValidUtf8(const std::string& p_strText);

#endif
