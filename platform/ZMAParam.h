#ifndef SENSORCONTROL_PLATFORM_ZMAPARAM_H
#define SENSORCONTROL_PLATFORM_ZMAPARAM_H
/// @file
/// The zoom lens's tracking table: its rows, its file reader and the interpolation.

#include <string>
#include <vector>

#include "Export.h"

/// One row of a zoom lens's tracking table: at a zoom position, the optical
/// magnification (x 1000) and the focus positions for near and far subjects.
class SC_EXPORT ZMAParam {
public:
    ZMAParam() = default;
    /// A row: zoom position, magnification x 1000, near and far focus positions.
    ZMAParam(int p_nZoom, int p_nMagnification, int p_nFocusNear, int p_nFocusFar)
        : m_nZoom(p_nZoom),
          m_nMagnification(p_nMagnification),
          m_nFocusNear(p_nFocusNear),
          m_nFocusFar(p_nFocusFar) {}

    /// The zoom position.
    int getZoom() const { return m_nZoom; }
    /// The optical magnification x 1000.
    int getMagnification() const { return m_nMagnification; }
    /// The focus position for near subjects.
    int getFocusNear() const { return m_nFocusNear; }
    /// The focus position for far subjects.
    int getFocusFar() const { return m_nFocusFar; }

private:
    int m_nZoom = 0;
    int m_nMagnification = 0;
    int m_nFocusNear = 0;
    int m_nFocusFar = 0;
};

/// Reads the lens table "/hd1/program/config/ZMAParam.txt". Format:
///   - one row per line: zoom position, magnification x 1000, focus position
///     for near subjects, focus position for far subjects - four decimal
///     ints separated by blanks or commas;
///   - '#' starts a comment; blank lines are skipped;
///   - rows in strictly ascending zoom order.
/// Any other line, a row out of order, or an empty table makes get() fail.
class SC_EXPORT ZMAParamFileToArray {
public:
    /// Non-zero when the file exists.
    int setFilePath(const std::string& p_strPath);
    /// Non-zero on success, with the caller's rows replaced by the table.
    int get(std::vector<ZMAParam>& p_rows);

private:
    std::string m_strPath;
};

/// Follows the lens: magnification and focus range at any zoom position,
/// interpolated linearly between the rows of the table.
class SC_EXPORT CameraLensZMAAlgorithm {
public:
    virtual ~CameraLensZMAAlgorithm();
    /// Loads the table (rows in ascending zoom order).
    void setZMAParam(const std::vector<ZMAParam>& p_rows) { m_rows = p_rows; }
    /// The table loaded.
    const std::vector<ZMAParam>& getZMAParam() const { return m_rows; }
    /// Non-zero with the values when the table is loaded; positions outside
    /// the table take the nearest row.
    int getMagnification(int p_nZoom, int& p_nMagnification) const;
    /// The near and far focus positions at the zoom position, as getMagnification().
    int getFocusRange(int p_nZoom, int& p_nNear, int& p_nFar) const;

private:
    int interpolate(int p_nZoom, int (ZMAParam::*p_field)() const, int& p_nValue) const;

    std::vector<ZMAParam> m_rows;
};

#endif
