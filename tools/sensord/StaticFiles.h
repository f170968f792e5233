#ifndef SENSORD_STATICFILES_H
#define SENSORD_STATICFILES_H

#include <string>

#include "Http.h"

// The settings page's files, served from one directory: "/" is its
// index.html, "/NAME" the file NAME under it. Only plain names of the web's
// own kinds (html, js, css, svg, png, ico, json) are served; nothing outside
// the directory is reachable.
class StaticFiles {
public:
    explicit StaticFiles(std::string p_strRoot);

    // The directory the options name, or where the page is installed
    // beside the program (PREFIX/share/sensorcontrol/web), else the source
    // tree's (a program run from its build tree).
    static std::string defaultRoot();

    const std::string& root() const { return m_strRoot; }
    // False when the path names no file here (the caller answers 404).
    bool serve(const std::string& p_strPath, HttpResponse& p_response) const;

private:
    std::string m_strRoot;
};

#endif
