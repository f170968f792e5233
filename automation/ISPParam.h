#ifndef SENSORCONTROL_AUTOMATION_ISPPARAM_H
#define SENSORCONTROL_AUTOMATION_ISPPARAM_H
/// @file
/// The gain- and day/night-dependent ISP tuning table and its reader.

#include <list>
#include <map>
#include <string>

#include "../platform/Export.h"

/// One range [min, max) of a tuning unit with its named values.
class SC_EXPORT ISPParamUnit {
public:
    /// Names the range; 1.
    int setName(const std::string& p_strName);
    /// The range's name; 1.
    int getName(std::string& p_strName) const;
    /// The lower bound (included); 1.
    int setMin(int p_nMin);
    /// The lower bound; 1.
    int getMin(int& p_nMin) const;
    /// The upper bound (excluded); 1.
    int setMax(int p_nMax);
    /// The upper bound; 1.
    int getMax(int& p_nMax) const;
    /// Inserts or overwrites; 1.
    int setParam(const std::string& p_strName, int p_nValue);
    /// 1 and the value when present, else 0.
    int getParam(const std::string& p_strName, int& p_nValue) const;

private:
    std::string m_strName;
    int m_nMin = 0;
    int m_nMax = 0;
    std::map<std::string, int> m_params;
};

/// The tuning table: per unit ("DN", "GAIN", ...) its ranges in file order, and
/// whether the unit takes part.
class SC_EXPORT ISPParam {
public:
    /// Adds the value to the named range of the unit, creating unit and range
    /// as needed; a range keeps the bounds it was created with. 1.
    int setParam(const std::string& p_strUnit, const std::string& p_strRange, int p_nMin,
                 int p_nMax, const std::string& p_strName, int p_nValue);
    /// The value from the first range with min <= input < max; 0 when the unit
    /// is missing, no range matches or that range lacks the name.
    int getParam(const std::string& p_strUnit, const std::string& p_strName, int p_nInput,
                 int& p_nValue) const;
    /// Whether the unit takes part; 1.
    int setEnableFlag(const std::string& p_strUnit, bool p_bEnable);
    /// Whether the unit takes part; 0 when the unit has no flag.
    int getEnableFlag(const std::string& p_strUnit, bool& p_bEnable) const;
    /// Empties the table.
    void clear();

    /// Every unit with its ranges.
    const std::map<std::string, std::list<ISPParamUnit> >& getUnits() const { return m_units; }

private:
    std::map<std::string, std::list<ISPParamUnit> > m_units;
    std::map<std::string, bool> m_enableFlags;
};

/// Reads the tuning table "/hd1/program/config/ISPParam.xml" through the XML
/// store: node "config" (properties "realTimeUpdate", "time") holding one node
/// per unit (property "enable") holding one node per range (properties "min",
/// "max") holding items with "name" and "value".
class SC_EXPORT ISPParamParse {
public:
    /// 1 when the file was read, else 0 (with "open ... failed" printed).
    int parse();
    /// The table read; 1.
    int getISPParam(ISPParam& p_param) const;
    /// Seconds between tuning steps ("time").
    int getDelayTime() const { return m_nDelayTime; }
    /// Whether the table is read again every step ("realTimeUpdate").
    bool getRealTimeUpdate() const { return m_bRealTimeUpdate; }

private:
    ISPParam m_objISPParam;
    int m_nDelayTime = 1;
    bool m_bRealTimeUpdate = false;
};

#endif
