#ifndef SENSORD_JSONAPI_H
#define SENSORD_JSONAPI_H

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "Http.h"
#include "UiDescription.h"
#include "auth/Users.h"

class Host;
class ImageService;
class SimulatedHardware;

// The JSON API under "/api/" for scripts and the settings page:
//   GET  /api/parameters          every descriptor with its current value
//   GET  /api/parameters/NAME     one (by name or id)
//   POST /api/parameters          {"values": {"brightness": 70, "wb-mode": "manual"},
//                                  "persist": true}: all or nothing
//   PUT  /api/parameters/NAME     {"value": 70}
//   GET  /api/status              module, day/night mode and state, scene level, scheme
//   GET  /api/schemes             the schemes with their windows
//   POST /api/schemes/active      {"scheme": 2}      (keeps it: scheme mode manual)
//   POST /api/schemes/mode        {"mode": "automatic"}
//   PUT  /api/schemes/N           {"enabled": true, "start": "08:30", "end": "18:00"}:
//                                  scheme N's window, without applying it
//   GET  /api/history             the last 24 hours: scene level, state and scheme a
//                                  minute, and every day/night and scheme switch
//   GET  /api/ui?lang=N           the module's UI description: tabs, labels, languages
//   GET  /api/events              server-sent events: value, daynight, scheme
//   GET  /api/simulation          what the simulated module holds, the scene, the clock
//   POST /api/simulation          {"light": 20, "advance": 60, "faults": 0.1, "draw": 1,
//                                  "answering": false} on a
//                                  simulated board (Administrator)
// Errors are {"error": "...", "parameter": "..."} with a status that says
// whose fault it is (400 the request, 403 the user's level, 404 no such
// thing, 502 the module, 503 stopping).
class JsonApi {
public:
    // p_bSimulated: the board and module are simulated, so the simulation
    // route may move the scene and the virtual clock.
    JsonApi(ImageService& p_image, Host& p_host, bool p_bSimulated);
    ~JsonApi();

    // p_strUser and p_eLevel: who the request was authenticated as.
    HttpResponse handle(const HttpRequest& p_request, const std::string& p_strUser,
                        UserLevel p_eLevel);

    // The simulators keep what they were sent for tests to read; a service
    // that runs for days lets it go now and then.
    void tidySimulation();

    static HttpResponse error(int p_nStatus, const std::string& p_strMessage,
                              const std::string& p_strParameter = "");

private:
    HttpResponse parameters();
    HttpResponse parameter(const std::string& p_strName);
    HttpResponse setParameters(const HttpRequest& p_request, const std::string& p_strUser,
                               const std::string& p_strSingle);
    HttpResponse status();
    HttpResponse schemes();
    HttpResponse setScheme(const HttpRequest& p_request, const std::string& p_strUser);
    HttpResponse setSchemeMode(const HttpRequest& p_request, const std::string& p_strUser);
    HttpResponse setSchemeWindow(const HttpRequest& p_request, const std::string& p_strUser,
                                 const std::string& p_strIndex);
    HttpResponse events(const HttpRequest& p_request);
    HttpResponse simulation(const HttpRequest& p_request);
    HttpResponse simulated();
    HttpResponse ui(const HttpRequest& p_request);
    HttpResponse history();

    ImageService& m_image;
    Host& m_host;
    std::unique_ptr<SimulatedHardware> m_simulation;  // null on a real board
    UiDescription m_ui;
    // Each descriptor as JSON without its closing brace, and what comes
    // before them in GET /api/parameters.
    std::vector<std::string> m_described;
    std::string m_strParametersHead;
    int m_nLight;
    std::mutex m_simulationMutex;  // one clock step at a time
};

#endif
